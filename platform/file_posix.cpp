// Files on POSIX descriptors, with explicit text-mode translation.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

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

// How many folders a walk holds open: those it goes down through and comes
// back to. Holding more would cost more looking than it saves.
constexpr std::size_t kMostFoldersHeld = 16;
constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;

// Opens fsPath in its folder held in folders when there is one to hold; a
// name that ends in a slash or a dot segment, or has no folder, is opened
// whole. A folder that is missing (or no folder) leaves its files missing,
// with the error the whole name's open would give; one that does not open
// for another reason leaves the whole name to open.
int OpenForReading(const std::string& fsPath, FolderHandles* folders) {
    const std::size_t slash = fsPath.rfind('/');
    if (folders && slash != std::string::npos && slash > 0) {
        const std::string_view name = std::string_view(fsPath).substr(slash + 1);
        if (!name.empty() && name != "." && name != "..") {
            const int folder = folders->DescriptorOf(std::string_view(fsPath).substr(0, slash));
            if (folder >= 0) return ::openat(folder, std::string(name).c_str(), kReadFlags);
            if (errno == ENOENT || errno == ENOTDIR) return -1;
        }
    }
    return ::open(fsPath.c_str(), kReadFlags);
}

// The descriptor of a regular file, and its size then; -1 for any other
// name, with what the name was found to be.
int OpenRegularFile(const std::string& fsPath, std::size_t* size, FolderAnswer* found,
                    FolderHandles* folders) {
    const int descriptor = OpenForReading(fsPath, folders);
    if (descriptor < 0) {
        // Where nothing is found, stat finds no folder either; a refusal
        // may still be of a folder.
        const bool nothing = errno == ENOENT || errno == ENOTDIR;
        *found = nothing ? FolderAnswer::kNotFolder : FolderAnswer::kUnknown;
        return -1;
    }
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        *found = FolderAnswer::kUnknown;
    } else {
        *found = S_ISDIR(status.st_mode) ? FolderAnswer::kFolder : FolderAnswer::kNotFolder;
        if (S_ISREG(status.st_mode)) {
            *size = static_cast<std::size_t>(status.st_size);
            return descriptor;
        }
    }
    ::close(descriptor);
    return -1;
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

// CR LF becomes LF from position from on, in place.
void DropCarriageReturnsBeforeLineFeeds(std::string& text, std::size_t from) {
    std::size_t write = text.find('\r', from);
    if (write == std::string::npos) return;
    for (std::size_t read = write; read < text.size(); ++read) {
        if (text[read] == '\r' && read + 1 < text.size() && text[read + 1] == '\n') continue;
        text[write++] = text[read];
    }
    text.resize(write);
}

}  // namespace

std::string FileSystemPath(const std::wstring& path) { return ToUtf8(path); }

FolderHandles::~FolderHandles() {
    for (const Held& held : m_held) ::close(held.descriptor);
}

int FolderHandles::DescriptorOf(std::string_view folderBytes) {
    ++m_uses;
    Held* oldest = nullptr;
    for (Held& held : m_held) {
        if (held.bytes == folderBytes) {
            held.lastUse = m_uses;
            return held.descriptor;
        }
        if (!oldest || held.lastUse < oldest->lastUse) oldest = &held;
    }
    const int descriptor =
        ::open(std::string(folderBytes).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) return -1;
    if (m_held.size() < kMostFoldersHeld) {
        m_held.push_back(Held{std::string(folderBytes), descriptor, m_uses});
    } else {
        ::close(oldest->descriptor);
        *oldest = Held{std::string(folderBytes), descriptor, m_uses};
    }
    return descriptor;
}

bool InputFile::Open(const std::wstring& path, FileMode mode, FolderHandles* folders) {
    Close();
    // A path with a NUL inside names no file, and no folder.
    m_nameIsFolder = FolderAnswer::kNotFolder;
    if (path.find(L'\0') != std::wstring::npos) return false;
    std::string bytes = FileSystemPath(path);
    std::size_t size = 0;
    int descriptor = OpenByName(bytes, &size, folders);
    if (descriptor < 0 && SameCodeBytes(path, &bytes))
        descriptor = OpenByName(bytes, &size, folders);
    Start(descriptor, size, std::move(bytes), mode);
    return m_descriptor >= 0;
}

bool InputFile::OpenBytes(std::string_view pathBytes, FileMode mode, FolderHandles* folders) {
    Close();
    m_nameIsFolder = FolderAnswer::kNotFolder;
    if (pathBytes.find('\0') != std::string_view::npos) return false;
    std::string bytes(pathBytes);
    std::size_t size = 0;
    const int descriptor = OpenByName(bytes, &size, folders);
    Start(descriptor, size, std::move(bytes), mode);
    return m_descriptor >= 0;
}

int InputFile::OpenByName(const std::string& bytes, std::size_t* size, FolderHandles* folders) {
    FolderAnswer found = FolderAnswer::kUnknown;
    const int descriptor = OpenRegularFile(bytes, size, &found, folders);
    // Like PathIsFolder: a folder by any of the names tried, else not known
    // when any of them could not tell. An open that succeeds tries no more
    // names, so it answers nothing.
    if (descriptor >= 0 || found == FolderAnswer::kUnknown) {
        if (m_nameIsFolder != FolderAnswer::kFolder) m_nameIsFolder = FolderAnswer::kUnknown;
    } else if (found == FolderAnswer::kFolder) {
        m_nameIsFolder = FolderAnswer::kFolder;
    }
    return descriptor;
}

void InputFile::Start(int descriptor, std::size_t size, std::string pathBytes, FileMode mode) {
    m_descriptor = descriptor;
    m_sizeAtOpen = size;
    m_rawRead = 0;
    m_pathBytes = descriptor >= 0 ? std::move(pathBytes) : std::string();
    m_mode = mode;
    m_raw.clear();
    m_rawPosition = 0;
    m_atEnd = false;
}

std::size_t InputFile::ReadRaw(char* buffer, std::size_t size) {
    // A file of known size read to its end is at its end (a size of 0 is
    // not known: files of the kernel's say so and have content).
    if (m_atEnd || (m_sizeAtOpen > 0 && m_rawRead >= m_sizeAtOpen)) {
        m_atEnd = true;
        return 0;
    }
    ssize_t count;
    do {
        count = ::read(m_descriptor, buffer, size);
    } while (count < 0 && errno == EINTR);
    if (count <= 0) {
        m_atEnd = true;
        return 0;
    }
    m_rawRead += static_cast<std::size_t>(count);
    return static_cast<std::size_t>(count);
}

bool InputFile::FillRaw() {
    if (m_atEnd) return false;
    m_raw.erase(0, m_rawPosition);
    m_rawPosition = 0;
    const std::size_t kept = m_raw.size();
    std::size_t chunk = m_raw.capacity() < kFirstRawChunk ? kFirstRawChunk : kRawChunk;
    // No more room than the file needs: room is cleared before it is read into.
    if (m_sizeAtOpen > m_rawRead) chunk = std::min(chunk, m_sizeAtOpen - m_rawRead);
    m_raw.resize(kept + chunk);
    const std::size_t count = ReadRaw(m_raw.data() + kept, chunk);
    m_raw.resize(kept + count);
    return count > 0;
}

std::size_t InputFile::Read(char* buffer, std::size_t size) {
    if (m_descriptor < 0) return 0;
    std::size_t produced = 0;
    while (produced < size) {
        // A CR needs the byte after it before it can be given out.
        if (m_raw.size() - m_rawPosition < 2 && !m_atEnd) FillRaw();
        if (m_rawPosition >= m_raw.size()) break;
        // Copy up to the next CR at once; a CR is looked at on its own.
        const char* from = m_raw.data() + m_rawPosition;
        std::size_t run = std::min(size - produced, m_raw.size() - m_rawPosition);
        if (m_mode == FileMode::kText) {
            const void* cr = std::memchr(from, '\r', run);
            if (cr != nullptr) run = static_cast<std::size_t>(static_cast<const char*>(cr) - from);
        }
        if (run > 0) {
            std::memcpy(buffer + produced, from, run);
            produced += run;
            m_rawPosition += run;
            continue;
        }
        if (m_raw.size() - m_rawPosition < 2 && !m_atEnd) continue;
        char byte = m_raw[m_rawPosition++];
        if (byte == '\r' && m_rawPosition < m_raw.size() && m_raw[m_rawPosition] == '\n') {
            byte = '\n';
            ++m_rawPosition;
        }
        buffer[produced++] = byte;
    }
    return produced;
}

void InputFile::ReadRest(std::string* text) {
    if (m_descriptor < 0) return;
    const std::size_t start = text->size();
    text->append(m_raw, m_rawPosition);
    m_raw.clear();
    m_rawPosition = 0;
    if (m_sizeAtOpen > 0 && m_rawRead >= m_sizeAtOpen) m_atEnd = true;
    if (m_sizeAtOpen > m_rawRead) text->reserve(text->size() + (m_sizeAtOpen - m_rawRead) + 1);
    while (!m_atEnd) {
        const std::size_t kept = text->size();
        // The rest of a file of known size in one read.
        const std::size_t room = text->capacity() - kept;
        const std::size_t chunk = room > 0 ? room : kRawChunk;
        text->resize(kept + chunk);
        text->resize(kept + ReadRaw(text->data() + kept, chunk));
    }
    if (m_mode == FileMode::kText) DropCarriageReturnsBeforeLineFeeds(*text, start);
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

bool PathBytesAreFolder(std::string_view pathBytes) {
    if (pathBytes.empty() || pathBytes.find('\0') != std::string_view::npos) return false;
    struct stat status {};
    return ::stat(std::string(pathBytes).c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

bool PathIsFolder(const std::wstring& path) {
    if (PathBytesAreFolder(FileSystemPath(path))) return true;
    std::string bytes;
    return SameCodeBytes(path, &bytes) && PathBytesAreFolder(bytes);
}

namespace {

// Adds the files under folder (its path ends in "/") to files, each named
// from prefix on.
void AddFilesUnder(const std::string& folder, const std::string& prefix,
                   std::vector<std::string>& files) {
    DIR* listing = ::opendir(folder.c_str());
    if (listing == nullptr) return;
    std::vector<std::string> folders;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat status {};
        const std::string path = folder + name;
        if (::lstat(path.c_str(), &status) != 0) continue;
        if (S_ISDIR(status.st_mode)) {
            folders.push_back(name);
        } else if (S_ISREG(status.st_mode) ||
                   (S_ISLNK(status.st_mode) && ::stat(path.c_str(), &status) == 0 &&
                    S_ISREG(status.st_mode))) {
            files.push_back(prefix + name);
        }
    }
    ::closedir(listing);
    for (const std::string& name : folders)
        AddFilesUnder(folder + name + "/", prefix + name + "/", files);
}

}  // namespace

std::vector<std::string> FilesUnderFolder(std::string_view folderBytes) {
    std::vector<std::string> files;
    if (folderBytes.find('\0') != std::string_view::npos) return files;
    std::string folder(folderBytes);
    if (!folder.ends_with('/')) folder += '/';
    AddFilesUnder(folder, "", files);
    std::sort(files.begin(), files.end());
    return files;
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
