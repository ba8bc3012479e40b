#include "settings/userfile.h"

#include <QFile>

#include <algorithm>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

UserFile UserFile::read(const QString &path, qint64 maxBytes) {
    UserFile file;
    // Opened without waiting: opening a pipe for reading would wait for a
    // writer. Nothing is read before the kind of file is known.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT) {
            file.status = Missing;
        } else {
            file.status = Unreadable;
            file.problem = QStringLiteral("cannot be read (%1)").arg(systemReason(error));
        }
        return file;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        file.status = NotRegular;
        file.problem = QStringLiteral("is not a regular file");
        return file;
    }
    // The size the system reports may change while the file is read: the
    // reading itself stops one byte past the cap.
    QByteArray bytes;
    char area[64 * 1024];
    for (;;) {
        const qint64 room = maxBytes + 1 - bytes.size();
        const ssize_t n = ::read(fd, area, size_t(std::min<qint64>(room, sizeof area)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            file.status = Unreadable;
            file.problem = QStringLiteral("cannot be read (%1)").arg(systemReason(error));
            return file;
        }
        if (n == 0)
            break;
        bytes.append(area, n);
        if (bytes.size() > maxBytes) {
            ::close(fd);
            file.status = TooLarge;
            file.problem = QStringLiteral("is larger than %1 bytes").arg(maxBytes);
            return file;
        }
    }
    ::close(fd);
    file.status = Read;
    file.bytes = std::move(bytes);
    return file;
}

bool UserFile::isRegular(const QString &path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
}
