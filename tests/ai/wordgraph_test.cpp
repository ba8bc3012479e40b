// The word graph holds exactly the words the list's lookup finds.
#include "ai/wordgraph.h"
#include "dict/tdictn.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>

namespace {

using ai::WordGraph;

ai::Letters lettersOf(const QString &word) {
    ai::Letters w;
    for (QChar c : word)
        w += char(c.unicode() - u'a');
    return w;
}

class GraphOf : public ::testing::TestWithParam<WordGraph::Kind> {};

// Records as a hand-made list may hold them, in the order of what the lookup
// compares: a word of one letter, a space or a mark inside, lower case,
// spaces before the word, and a NUL, where the list ends.
TEST_P(GraphOf, AHandMadeListHoldsWhatItsLookupFinds) {
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("list")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (const char *field :
         {"A             ", "AB CD         ", "abc           ", "CAT           ", "  DOG         ",
          "QU!T          ", "ZEBRA         ", "EMU\0\0\0\0\0\0\0\0\0\0\0"})
        f.write(QByteArray(1, char(0x1E)) + QByteArray(field, 14));
    f.close();
    const TDictn dict(f.fileName());
    ASSERT_TRUE(dict.isOpen());
    const WordGraph g = WordGraph::build(GetParam(), WordGraph::wordsOf(dict));
    for (const char *word : {"a", "dog", "ab", "abcd", "cat", "emu", "quit", "qut", "zebra", "abc",
                             "ca", "do", "zebras", "b"}) {
        const QString w = QString::fromLatin1(word);
        EXPECT_EQ(g.contains(lettersOf(w)), dict.FindWord(w)) << word;
    }
}

TEST_P(GraphOf, TheBuiltInListHoldsItsWordsAndNoOthers) {
    const TDictn dict;
    const std::vector<ai::Letters> words = WordGraph::wordsOf(dict);
    ASSERT_EQ(qint64(words.size()), dict.recordCount());
    const WordGraph g = WordGraph::build(GetParam(), words);
    for (const ai::Letters &w : words)
        ASSERT_TRUE(g.contains(w));
    // Strings made from the words: cut, lengthened, a letter changed.
    std::mt19937 rng(5);
    int found = 0;
    for (int i = 0; i < 20000; ++i) {
        ai::Letters w = words[rng() % words.size()];
        switch (rng() % 3) {
        case 0:
            w.resize(1 + rng() % w.size());
            break;
        case 1:
            w += char(rng() % 26);
            break;
        default:
            w[rng() % w.size()] = char(rng() % 26);
        }
        QString text;
        for (char c : w)
            text += QChar(u'a' + c);
        const bool inList = dict.FindWord(text);
        EXPECT_EQ(g.contains(w), inList) << text.toStdString();
        found += inList;
    }
    EXPECT_GT(found, 1000);
    EXPECT_LT(found, 19000);
}

INSTANTIATE_TEST_SUITE_P(Kinds, GraphOf,
                         ::testing::Values(WordGraph::Kind::Dawg, WordGraph::Kind::Gaddag),
                         [](const ::testing::TestParamInfo<WordGraph::Kind> &param) {
                             return std::string(param.param == WordGraph::Kind::Dawg ? "Dawg"
                                                                                     : "Gaddag");
                         });

} // namespace
