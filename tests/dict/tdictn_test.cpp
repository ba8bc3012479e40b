#include "dict/tdictn.h"
#include "resources/words/wordlist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>
#include <vector>

namespace {

const QString notFound = QStringLiteral("English.dic dictionary not found!");

// The word set rebuilt from the source lists: every line made only of a to z with at least
// two letters, upper-cased and cut to 14.
struct SourceWords {
    std::set<QByteArray> fields;      // what the list should hold
    std::vector<QByteArray> longOnes; // source words of more than 14 letters
    QStringList files;
};

const SourceWords &sourceWords() {
    static const SourceWords words = [] {
        SourceWords w;
        const QRegularExpression wordLine(QStringLiteral("^[a-z]{2,}$"));
        const QDir dir(QStringLiteral(ZORBLE_SCOWL_DIR));
        for (const char *variant : {"english", "american", "british", "canadian"}) {
            for (int size : {10, 20, 35, 40, 50, 55, 60, 70, 80}) {
                QFile f(dir.filePath(QStringLiteral("%1-words.%2").arg(variant).arg(size)));
                if (!f.open(QIODevice::ReadOnly))
                    continue;
                w.files << f.fileName();
                const QList<QByteArray> lines = f.readAll().split('\n');
                for (const QByteArray &line : lines) {
                    if (!wordLine.match(QString::fromUtf8(line)).hasMatch())
                        continue;
                    w.fields.insert(line.toUpper().left(14));
                    if (line.size() > 14)
                        w.longOnes.push_back(line);
                }
            }
        }
        return w;
    }();
    return words;
}

QByteArray builtInBytes() {
    QFile f(builtInWordListPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray recordsOf(const QList<QByteArray> &words) {
    QByteArray out;
    for (const QByteArray &w : words)
        out += '\x1e' + w.leftJustified(14, ' ', true);
    return out;
}

QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes) {
    const QString path = dir.filePath(QStringLiteral("list"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return path;
}

void expectClosed(const TDictn &dict) {
    EXPECT_FALSE(dict.isOpen());
    EXPECT_EQ(dict.errorMessage(), notFound);
    EXPECT_EQ(dict.recordCount(), 0);
    EXPECT_TRUE(dict.wordFilePath().isEmpty());
    for (const char *w : {"CAT", "cat", "AAH", "ZZZ", "AB"})
        EXPECT_FALSE(dict.FindWord(QString::fromLatin1(w))) << w;
}

class BuiltInList : public ::testing::Test {
protected:
    static void SetUpTestSuite() { dict = new TDictn; }
    static void TearDownTestSuite() {
        delete dict;
        dict = nullptr;
    }
    static TDictn *dict;
};
TDictn *BuiltInList::dict = nullptr;

TEST_F(BuiltInList, IsEmbeddedAndOpens) {
    const QByteArray bytes = builtInBytes();
    ASSERT_GT(bytes.size(), 0) << "the word list resource is missing from this executable";
    EXPECT_EQ(bytes.size() % 15, 0);
    EXPECT_TRUE(dict->isOpen());
    EXPECT_TRUE(dict->errorMessage().isEmpty());
    EXPECT_EQ(dict->recordCount(), bytes.size() / 15);
}

TEST_F(BuiltInList, HoldsExactlyTheSourceWordsInSortedRecords) {
    const SourceWords &source = sourceWords();
    ASSERT_EQ(source.files.size(), 36) << "SCOWL lists missing under " ZORBLE_SCOWL_DIR;
    const QByteArray bytes = builtInBytes();
    ASSERT_EQ(bytes.size() % 15, 0);

    std::set<QByteArray> listed;
    qsizetype outOfOrder = 0;
    qsizetype badMarks = 0;
    for (qsizetype at = 0; at < bytes.size(); at += 15) {
        if (bytes[at] != '\x1e')
            ++badMarks;
        if (at > 0 && std::memcmp(bytes.constData() + at - 14, bytes.constData() + at + 1, 14) >= 0)
            ++outOfOrder;
        listed.insert(bytes.mid(at + 1, 14).trimmed());
    }
    EXPECT_EQ(badMarks, 0);
    EXPECT_EQ(outOfOrder, 0) << "records must rise strictly, byte by byte";
    EXPECT_EQ(static_cast<qsizetype>(listed.size()), bytes.size() / 15);
    EXPECT_TRUE(listed == source.fields);
    EXPECT_GT(source.fields.size(), 200000u);
}

TEST_F(BuiltInList, FindsEveryWordOfTheSourceLists) {
    const SourceWords &source = sourceWords();
    ASSERT_FALSE(source.fields.empty());
    std::vector<QByteArray> missed;
    for (const QByteArray &w : source.fields) {
        if (!dict->FindWord(QString::fromLatin1(w)) ||
            !dict->FindWord(QString::fromLatin1(w.toLower())))
            missed.push_back(w);
    }
    EXPECT_TRUE(missed.empty()) << missed.size() << " missed, first: "
                                << (missed.empty() ? "" : missed.front().constData());
}

TEST_F(BuiltInList, RandomStringsAreFoundExactlyWhenInTheSourceLists) {
    const SourceWords &source = sourceWords();
    ASSERT_FALSE(source.fields.empty());
    std::mt19937 rng(20261207);
    std::uniform_int_distribution<int> letter('A', 'Z');
    std::uniform_int_distribution<int> length(1, 16);
    int absent = 0;
    int present = 0;
    int wrong = 0;
    for (int i = 0; i < 200000; ++i) {
        QByteArray s(length(rng), ' ');
        for (char &c : s)
            c = static_cast<char>(letter(rng));
        const bool listed = s.size() <= 14 && source.fields.count(s) > 0;
        (listed ? present : absent)++;
        if (dict->FindWord(QString::fromLatin1(s)) != listed)
            ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(absent, 100000);
    EXPECT_GT(present, 1000); // short random strings are often words
}

TEST_F(BuiltInList, FindsTheFirstAndLastRecords) {
    const QByteArray bytes = builtInBytes();
    ASSERT_GE(bytes.size(), 30);
    EXPECT_TRUE(dict->FindWord(QString::fromLatin1(bytes.mid(1, 14))));
    EXPECT_TRUE(dict->FindWord(QString::fromLatin1(bytes.right(14))));
    EXPECT_TRUE(dict->FindWord(QString::fromLatin1(bytes.mid(1, 14).trimmed())));
    EXPECT_TRUE(dict->FindWord(QString::fromLatin1(bytes.right(14).trimmed())));
}

TEST_F(BuiltInList, IgnoresCaseAndSurroundingSpaces) {
    for (const char *w : {"cat", "Cat", "CAT", "cAt", " cat", "cat ", "   CaT   "})
        EXPECT_TRUE(dict->FindWord(QString::fromLatin1(w))) << '"' << w << '"';
    // A NUL counts as a space.
    EXPECT_TRUE(dict->FindWord(QStringLiteral("cat") + QChar(0)));
    EXPECT_TRUE(dict->FindWord(QChar(0) + QStringLiteral("cat")));

    for (const char *w : {"", " ", "              ", "ca t", "c at", "cats!", "\tcat"})
        EXPECT_FALSE(dict->FindWord(QString::fromLatin1(w))) << '"' << w << '"';
    EXPECT_FALSE(dict->FindWord(QString(3, QChar(0))));
    EXPECT_FALSE(dict->FindWord(QStringLiteral("ca") + QChar(0) + QStringLiteral("t")));
    // Characters beyond 8 bits cannot be in the list.
    EXPECT_FALSE(dict->FindWord(QStringLiteral("cat") + QChar(0x0100)));
    EXPECT_FALSE(dict->FindWord(QString(QChar(0x0143)) + QStringLiteral("AT")));
}

TEST_F(BuiltInList, OneLetterIsNeverFound) {
    for (char c = 'A'; c <= 'Z'; ++c) {
        EXPECT_FALSE(dict->FindWord(QString(QChar(c)))) << c;
        EXPECT_FALSE(dict->FindWord(QString(QChar(c + 32)))) << c;
    }
}

TEST_F(BuiltInList, FourteenLettersAtMost) {
    const SourceWords &source = sourceWords();
    ASSERT_FALSE(source.longOnes.empty());

    // Words of exactly 14 letters are found.
    int fourteen = 0;
    for (const QByteArray &w : source.fields) {
        if (w.size() == 14 && ++fourteen <= 50) {
            EXPECT_TRUE(dict->FindWord(QString::fromLatin1(w))) << w.constData();
        }
    }
    EXPECT_GT(fourteen, 0);

    // Longer source words are stored cut to 14: the cut form is found, the whole word never.
    for (std::size_t i = 0; i < source.longOnes.size(); i += 25) {
        const QByteArray &w = source.longOnes[i];
        EXPECT_FALSE(dict->FindWord(QString::fromLatin1(w))) << w.constData();
        EXPECT_TRUE(dict->FindWord(QString::fromLatin1(w.left(14)))) << w.constData();
        EXPECT_FALSE(dict->FindWord(QString::fromLatin1(w.left(15)))) << w.constData();
    }
    // Spaces around a long word do not make it findable.
    EXPECT_FALSE(dict->FindWord(QStringLiteral(" ") + QString::fromLatin1(source.longOnes[0])));
}

TEST(SmallList, LooksUpInAListOfItsOwn) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QList<QByteArray> words = {"AB", "ABC", "ABCDEFGHIJKLMN", "MID", "ZZ"};
    TDictn dict(writeFile(dir, recordsOf(words)));
    ASSERT_TRUE(dict.isOpen());
    EXPECT_EQ(dict.recordCount(), words.size());
    for (const QByteArray &w : words)
        EXPECT_TRUE(dict.FindWord(QString::fromLatin1(w))) << w.constData();
    for (const char *w : {"A", "ABCD", "ABCDEFGHIJKLM", "ABCDEFGHIJKLMNO", "CAT", "ZZZ", "AA"})
        EXPECT_FALSE(dict.FindWord(QString::fromLatin1(w))) << w;
}

TEST(SmallList, IgnoresATrailingPartRecord) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TDictn dict(writeFile(dir, recordsOf({"AB", "CD"}) + "\x1e"
                                                         "EF"));
    ASSERT_TRUE(dict.isOpen());
    EXPECT_EQ(dict.recordCount(), 2);
    EXPECT_TRUE(dict.FindWord(QStringLiteral("cd")));
    EXPECT_FALSE(dict.FindWord(QStringLiteral("ef")));
}

TEST(SmallList, StopsAtTheFirstNulByte) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TDictn dict(writeFile(dir, recordsOf({"AB", "CD"}) + '\0' + recordsOf({"EF", "GH"})));
    ASSERT_TRUE(dict.isOpen());
    EXPECT_EQ(dict.recordCount(), 2);
    EXPECT_TRUE(dict.FindWord(QStringLiteral("ab")));
    EXPECT_FALSE(dict.FindWord(QStringLiteral("gh")));
}

TEST(BrokenList, MissingSourceRejectsEverything) {
    TDictn dict(QStringLiteral("/nonexistent/zorble/English"));
    expectClosed(dict);
}

TEST(BrokenList, UnreadableSourcesRejectEverything) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        SCOPED_TRACE("a folder");
        TDictn dict(dir.path());
        expectClosed(dict);
    }
    {
        SCOPED_TRACE("an empty file");
        TDictn dict(writeFile(dir, QByteArray()));
        expectClosed(dict);
    }
    {
        SCOPED_TRACE("less than one record");
        TDictn dict(writeFile(dir, QByteArray("\x1e"
                                              "CAT")));
        expectClosed(dict);
    }
    {
        SCOPED_TRACE("a NUL before the first record ends");
        TDictn dict(writeFile(dir, QByteArray("\x1e"
                                              "CAT",
                                              4) +
                                       '\0' + recordsOf({"DOG"})));
        expectClosed(dict);
    }
}

TEST(Lifecycle, EachInstanceHasItsOwnFileGoneAtTheEnd) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray records = recordsOf({"CAT", "DOG"});
    const QString source = writeFile(dir, records);
    const QString cwdFile = QDir::current().filePath(QStringLiteral("English"));
    const bool cwdFileBefore = QFile::exists(cwdFile);

    auto first = std::make_unique<TDictn>(source);
    TDictn second(source);
    ASSERT_TRUE(first->isOpen());
    ASSERT_TRUE(second.isOpen());
    const QString firstPath = first->wordFilePath();
    const QString secondPath = second.wordFilePath();
    EXPECT_NE(firstPath, secondPath);
    QFile copy(firstPath);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), records);
    copy.close();
    EXPECT_TRUE(QFile::exists(secondPath));
    EXPECT_EQ(QFile::exists(cwdFile), cwdFileBefore);

    // The word file is a copy: changing the source afterwards does not change the lookups.
    ASSERT_FALSE(writeFile(dir, recordsOf({"EMU"})).isEmpty());
    EXPECT_TRUE(first->FindWord(QStringLiteral("dog")));

    first.reset();
    EXPECT_FALSE(QFile::exists(firstPath));
    // The other instance is undisturbed.
    EXPECT_TRUE(second.FindWord(QStringLiteral("cat")));
    EXPECT_TRUE(second.FindWord(QStringLiteral("dog")));
    EXPECT_TRUE(QFile::exists(secondPath));
}

// The word file lives in no folder: a temporary folder that is unusable does not matter, and
// a usable one stays empty.
TEST(Lifecycle, NeedsNoTemporaryFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString source = writeFile(dir, recordsOf({"CAT"}));
    ASSERT_FALSE(source.isEmpty());
    const QString scratch = dir.filePath(QStringLiteral("scratch"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("scratch")));
    const QByteArray saved = qgetenv("TMPDIR");
    const bool hadTmpDir = qEnvironmentVariableIsSet("TMPDIR");
    for (const QString &tmp : {source, scratch}) {
        SCOPED_TRACE(tmp.toStdString());
        qputenv("TMPDIR", QFile::encodeName(tmp));
        TDictn dict(source);
        EXPECT_TRUE(dict.isOpen());
        EXPECT_TRUE(dict.FindWord(QStringLiteral("cat")));
        EXPECT_TRUE(QDir(scratch).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System |
                                          QDir::NoDotAndDotDot));
    }
    if (hadTmpDir)
        qputenv("TMPDIR", saved);
    else
        qunsetenv("TMPDIR");
}

// Nobody may shorten or rewrite the list under the lookups' mapping, not even through the
// path this object hands out.
TEST(Lifecycle, TheWordFileCannotBeChanged) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray records = recordsOf({"CAT", "DOG"});
    TDictn dict(writeFile(dir, records));
    ASSERT_TRUE(dict.isOpen());
    QFile file(dict.wordFilePath());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite | QIODevice::Unbuffered));
    EXPECT_FALSE(file.resize(0));
    EXPECT_FALSE(file.resize(records.size() * 2));
    EXPECT_EQ(file.write(recordsOf({"AAA"})), -1);
    file.close();
    EXPECT_EQ(QFileInfo(dict.wordFilePath()).size(), records.size());
    EXPECT_TRUE(dict.FindWord(QStringLiteral("cat")));
    EXPECT_TRUE(dict.FindWord(QStringLiteral("dog")));
}

TEST(Lifecycle, BuiltInListFileGoesAwayWithTheInstance) {
    QString path;
    {
        TDictn dict;
        ASSERT_TRUE(dict.isOpen());
        path = dict.wordFilePath();
        EXPECT_EQ(QFileInfo(path).size(), dict.recordCount() * 15);
    }
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
