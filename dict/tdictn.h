#pragma once

#include <QString>

#include <cstddef>
#include <memory>

// The word list and its lookup.
//
// The list is a sequence of 15-byte records: the byte 0x1E, then a word of up to 14
// upper-case letters, left-aligned and filled with spaces. Records stand in ascending order
// of their 14-byte fields compared as unsigned bytes.
//
// On creation the list is written out to an anonymous memory file (memfd) that belongs to
// this object alone and is sealed against any change. It has no name in any folder, so two
// running games never share it, and the kernel frees it with the process, even one that is
// killed or crashes. Lookups bisect over the file through a read-only memory map; nothing of
// the list is copied onto the heap. On destruction the file is released.
//
// When the file cannot be made or opened, the object stays closed: every lookup answers
// false and errorMessage() gives the text to show the user.
class TDictn {
public:
    static constexpr int RecordSize = 15;
    static constexpr int FieldWidth = 15; // search keys are filled out to this width

    // Uses the built-in word list.
    TDictn();
    // Uses the word list at sourcePath (a file or a ":/" resource path) instead.
    explicit TDictn(const QString &sourcePath);
    ~TDictn();

    TDictn(const TDictn &) = delete;
    TDictn &operator=(const TDictn &) = delete;

    // The built-in list, opened once for everybody in this process who asks
    // while another still holds it: the host, the preview and the computer
    // players look words up in the same list.
    static std::shared_ptr<const TDictn> shared();

    // True when word, ignoring case and leading and trailing spaces, is in the list.
    bool FindWord(const QString &word) const;

    bool isOpen() const { return open; }
    // "English.dic dictionary not found!" when the list could not be opened, else empty.
    QString errorMessage() const { return error; }
    // A path under which this process can read the working copy of the list
    // ("/proc/self/fd/N") while this object is open; empty otherwise.
    QString wordFilePath() const { return filePath; }
    // The number of records in the list (0 when closed).
    qint64 recordCount() const { return lastIndex + 1; }

private:
    void OpenDictionary(const QString &sourcePath);
    void CloseDictionary();
    bool writeWordFile(const QString &sourcePath);
    bool mapWordFile();

    int fd = -1;
    QString filePath;
    const unsigned char *records = nullptr;
    std::size_t mappedLength = 0;
    qint64 lastIndex = -1;
    bool open = false;
    QString error;
};
