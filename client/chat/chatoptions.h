#pragma once

// The chat column's options, as the Options menu shows them. They live in
// memory; the settings file reads and writes them through applyOptions() and
// options() of the chat panel.

#include <QtGlobal>

struct ChatOptions {
    bool playSounds = true;     // "Play Sounds": game sounds
    bool chatterSounds = false; // "Play Chatter Sounds": play, or show a line instead
    int turnSound = 0;          // 0 "Classic" ("turn"), 1 "New" ("turnnew")
    quint32 textColour = 0;     // 0x00BBGGRR: the entry line and every sent line
    int textSize = 10;          // all chat styles
    bool scrollOff = false;     // "Scroll Chat Off"
};
