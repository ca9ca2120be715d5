#include "win/record_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "win/error.h"
#include "win/file_io.h"

namespace plivora {

namespace {

off_t recordOffset(int recordNumber, int recordLength) {
    if (recordNumber < 1) {
        throw Error(ErrorNumber::BadRecordNumber);
    }
    return static_cast<off_t>(recordNumber - 1) * recordLength;
}

}  // namespace

RecordFile::RecordFile(const std::string& path, int recordLength) : m_recordLength(recordLength) {
    // O_NOFOLLOW is not used: a settings file that is a link the user made is the user's choice.
    m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        // A file the user may read but not write (made by another user, or on a read-only
        // medium) still gives its records; writing them fails with "Permission denied".
        const int writeError = errno;
        m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (m_fd < 0) {
            throw keptFileError(writeError);
        }
        m_writable = false;
    }
    if (m_fd < 0) {
        throw keptFileError(errno);
    }
    struct stat info {};
    if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        throw Error(ErrorNumber::PathFileAccessError);
    }
}

RecordFile::~RecordFile() {
    close();
}

void RecordFile::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

std::vector<std::uint8_t> RecordFile::read(int recordNumber) const {
    if (m_fd < 0) {
        throw Error(ErrorNumber::BadFileNameOrNumber);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(m_recordLength), 0);
    const off_t offset = recordOffset(recordNumber, m_recordLength);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got = ::pread(m_fd, bytes.data() + done, bytes.size() - done,
                                    offset + static_cast<off_t>(done));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw keptFileError(errno);
        }
        if (got == 0) {
            break;  // end of file: the rest stays zero
        }
        done += static_cast<std::size_t>(got);
    }
    return bytes;
}

void RecordFile::write(int recordNumber, const std::vector<std::uint8_t>& bytes) {
    if (m_fd < 0) {
        throw Error(ErrorNumber::BadFileNameOrNumber);
    }
    if (!m_writable) {
        throw Error(ErrorNumber::PermissionDenied);
    }
    std::vector<std::uint8_t> record(bytes);
    record.resize(static_cast<std::size_t>(m_recordLength), 0);
    const off_t offset = recordOffset(recordNumber, m_recordLength);
    std::size_t done = 0;
    while (done < record.size()) {
        const ssize_t put = ::pwrite(m_fd, record.data() + done, record.size() - done,
                                     offset + static_cast<off_t>(done));
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw keptFileError(errno);
        }
        done += static_cast<std::size_t>(put);
    }
}

}  // namespace plivora
