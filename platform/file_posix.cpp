// Files on POSIX descriptors, with explicit text-mode translation.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/file.h"
#include "platform/text_codec.h"

namespace {

// The first read of a file asks for a small block, since most pages are
// small and a scan opens thousands of them; later reads take large blocks.
constexpr std::size_t kFirstRawChunk = 4 * 1024;
constexpr std::size_t kRawChunk = 64 * 1024;

// The same-code bytes of path, when they differ from its UTF-8 form and
// every character fits a byte.
bool SameCodeBytes(const std::wstring& path, std::string* bytes) {
    for (wchar_t c : path) {
        if (c < 0 || c > 0xFF) return false;
    }
    *bytes = Narrow(path);
    return *bytes != ToUtf8(path);
}

int OpenRegularFile(const std::string& fsPath) {
    const int descriptor = ::open(fsPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) return -1;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

bool WriteAll(int descriptor, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

std::string FileSystemPath(const std::wstring& path) { return ToUtf8(path); }

bool InputFile::Open(const std::wstring& path, FileMode mode) {
    Close();
    // A path with a NUL inside names no file.
    if (path.find(L'\0') != std::wstring::npos) return false;
    std::string bytes = FileSystemPath(path);
    int descriptor = OpenRegularFile(bytes);
    if (descriptor < 0 && SameCodeBytes(path, &bytes)) descriptor = OpenRegularFile(bytes);
    Start(descriptor, std::move(bytes), mode);
    return m_descriptor >= 0;
}

bool InputFile::OpenBytes(std::string_view pathBytes, FileMode mode) {
    Close();
    if (pathBytes.find('\0') != std::string_view::npos) return false;
    std::string bytes(pathBytes);
    const int descriptor = OpenRegularFile(bytes);
    Start(descriptor, std::move(bytes), mode);
    return m_descriptor >= 0;
}

void InputFile::Start(int descriptor, std::string pathBytes, FileMode mode) {
    m_descriptor = descriptor;
    m_pathBytes = descriptor >= 0 ? std::move(pathBytes) : std::string();
    m_mode = mode;
    m_raw.clear();
    m_rawPosition = 0;
    m_atEnd = false;
}

bool InputFile::FillRaw() {
    if (m_atEnd) return false;
    m_raw.erase(0, m_rawPosition);
    m_rawPosition = 0;
    const std::size_t kept = m_raw.size();
    const std::size_t chunk = m_raw.capacity() < kFirstRawChunk ? kFirstRawChunk : kRawChunk;
    m_raw.resize(kept + chunk);
    ssize_t count;
    do {
        count = ::read(m_descriptor, m_raw.data() + kept, chunk);
    } while (count < 0 && errno == EINTR);
    m_raw.resize(kept + static_cast<std::size_t>(count > 0 ? count : 0));
    if (count <= 0) m_atEnd = true;
    return count > 0;
}

std::size_t InputFile::Read(char* buffer, std::size_t size) {
    if (m_descriptor < 0) return 0;
    std::size_t produced = 0;
    while (produced < size) {
        // A CR needs the byte after it before it can be given out.
        if (m_raw.size() - m_rawPosition < 2 && !m_atEnd) FillRaw();
        if (m_rawPosition >= m_raw.size()) break;
        char byte = m_raw[m_rawPosition++];
        if (m_mode == FileMode::kText && byte == '\r' && m_rawPosition < m_raw.size() &&
            m_raw[m_rawPosition] == '\n') {
            byte = '\n';
            ++m_rawPosition;
        }
        buffer[produced++] = byte;
    }
    return produced;
}

void InputFile::Close() {
    if (m_descriptor >= 0) ::close(m_descriptor);
    m_descriptor = -1;
    m_pathBytes.clear();
    m_raw.clear();
    m_rawPosition = 0;
}

bool OutputFile::Create(const std::wstring& path, FileMode mode) {
    return Open(path, mode, O_CREAT | O_TRUNC, 0666);
}

bool OutputFile::CreateNew(const std::wstring& path, FileMode mode) {
    // O_EXCL alone already refuses a symbolic link, dangling or not;
    // O_NOFOLLOW says so where it is read.
    return Open(path, mode, O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
}

bool OutputFile::Open(const std::wstring& path, FileMode mode, int flags, unsigned permissions) {
    (void)Close();
    if (path.find(L'\0') != std::wstring::npos) return false;
    m_descriptor = ::open(FileSystemPath(path).c_str(), O_WRONLY | O_CLOEXEC | flags, permissions);
    m_mode = mode;
    m_failed = false;
    return m_descriptor >= 0;
}

bool OutputFile::Write(std::string_view bytes) {
    if (m_descriptor < 0) return false;
    if (m_mode == FileMode::kBinary) {
        m_failed = m_failed || !WriteAll(m_descriptor, bytes.data(), bytes.size());
        return !m_failed;
    }
    std::string translated;
    translated.reserve(bytes.size() + bytes.size() / 16);
    for (char byte : bytes) {
        if (byte == '\n') translated += '\r';
        translated += byte;
    }
    m_failed = m_failed || !WriteAll(m_descriptor, translated.data(), translated.size());
    return !m_failed;
}

bool OutputFile::Close() {
    if (m_descriptor < 0) return !m_failed;
    const bool closed = ::close(m_descriptor) == 0;
    m_descriptor = -1;
    return closed && !m_failed;
}

bool PathBytesExist(std::string_view pathBytes) {
    if (pathBytes.find('\0') != std::string_view::npos) return false;
    struct stat status {};
    return ::lstat(std::string(pathBytes).c_str(), &status) == 0;
}

bool PathExists(const std::wstring& path) {
    if (PathBytesExist(FileSystemPath(path))) return true;
    std::string bytes;
    return SameCodeBytes(path, &bytes) && PathBytesExist(bytes);
}

bool CreateFolder(const std::wstring& path) {
    return ::mkdir(FileSystemPath(path).c_str(), 0777) == 0;
}

std::optional<std::wstring> CreatePrivateFolder(const std::wstring& parent,
                                                const std::wstring& prefix) {
    if ((parent + prefix).find(L'\0') != std::wstring::npos) return std::nullopt;
    std::string folder = FileSystemPath(parent);
    if (!folder.ends_with('/')) folder += '/';
    folder += FileSystemPath(prefix) + "XXXXXX";
    // mkdtemp makes the folder with mode 0700 and never reuses a name.
    if (::mkdtemp(folder.data()) == nullptr) return std::nullopt;
    return FromUtf8(folder);
}

bool DeleteFile(const std::wstring& path) { return ::unlink(FileSystemPath(path).c_str()) == 0; }

bool DeleteFolder(const std::wstring& path) { return ::rmdir(FileSystemPath(path).c_str()) == 0; }

bool ReadWholeFile(const std::wstring& path, std::string* contents) {
    InputFile file;
    if (!file.Open(path, FileMode::kBinary)) return false;
    contents->clear();
    char buffer[64 * 1024];
    while (const std::size_t count = file.Read(buffer, sizeof buffer))
        contents->append(buffer, count);
    return true;
}
