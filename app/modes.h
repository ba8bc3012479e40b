#pragma once

// The program's ways of running, chosen by the first command-line argument.
int runServe(int argc, char **argv);     // --serve: the host alone, no window
int runCheckWord(int argc, char **argv); // --check-word: look words up
int runBot(int argc, char **argv);       // --bot: a computer player, no window
int runReplay(int argc, char **argv);    // --replay: a game record's board and totals
int runAnalyse(int argc, char **argv);   // --analyse: each turn against the best move
int runGui(int argc, char **argv);       // anything else: the game window
