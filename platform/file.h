// Files by wide path. A wide path goes to the file system as UTF-8; when no
// such file exists and every character fits a byte, the same-code bytes are
// tried too, so a name made of bytes that are not UTF-8 can still be opened.
// Text mode is explicit: reading turns CR LF into LF, writing LF into CR LF.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class FileMode { kBinary, kText };

// What an open that failed learned of the name: a folder (it opened as
// one), no folder (it names nothing, or a file), or not known (the open
// was refused, say). It spares a caller that asks next a second look.
enum class FolderAnswer { kUnknown, kFolder, kNotFolder };

// Folders held open while a walk reads the files in them, so that opening a
// file looks up its own name alone, not each folder on its path again. A
// walk holds one for its life: a folder removed or made anew after it was
// first held is still seen as it was then.
class FolderHandles {
public:
    FolderHandles() = default;
    ~FolderHandles();
    FolderHandles(const FolderHandles&) = delete;
    FolderHandles& operator=(const FolderHandles&) = delete;

    // The descriptor of the folder named by folderBytes, held open; -1
    // when it does not open.
    [[nodiscard]] int DescriptorOf(std::string_view folderBytes);

private:
    struct Held {
        std::string bytes;
        int descriptor = -1;
        unsigned long long lastUse = 0;
    };
    std::vector<Held> m_held;
    unsigned long long m_uses = 0;
};

// A regular file open for reading. Folders, devices and pipes do not open.
class InputFile {
public:
    InputFile() = default;
    ~InputFile() { Close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // With folders, the file is opened in its folder held there.
    [[nodiscard]] bool Open(const std::wstring& path, FileMode mode,
                            FolderHandles* folders = nullptr);
    // Opens the file whose name is exactly these bytes.
    [[nodiscard]] bool OpenBytes(std::string_view pathBytes, FileMode mode,
                                 FolderHandles* folders = nullptr);
    // The bytes of the name the open file was opened by.
    [[nodiscard]] const std::string& PathBytes() const { return m_pathBytes; }
    // After an open that failed: whether the name is a folder, answered as
    // PathIsFolder (or PathBytesAreFolder) would, when the open could tell.
    [[nodiscard]] FolderAnswer NameIsFolder() const { return m_nameIsFolder; }
    // Reads up to size bytes (after text-mode translation) into buffer.
    // Returns 0 at the end of the file or on an error.
    [[nodiscard]] std::size_t Read(char* buffer, std::size_t size);
    // Appends the rest of the file (after text-mode translation) to text.
    void ReadRest(std::string* text);
    void Close();
    [[nodiscard]] bool IsOpen() const { return m_descriptor >= 0; }

private:
    // Reads more raw bytes; false at the end of the file or on an error.
    bool FillRaw();

    void Start(int descriptor, std::size_t size, std::string pathBytes, FileMode mode);
    // Opens by the bytes of one name the file may have, and adds what that
    // told of the name to m_nameIsFolder; the descriptor, or -1.
    int OpenByName(const std::string& bytes, std::size_t* size, FolderHandles* folders);
    // Reads raw bytes into buffer; the count, 0 at the end or on an error.
    std::size_t ReadRaw(char* buffer, std::size_t size);

    int m_descriptor = -1;
    FileMode m_mode = FileMode::kBinary;
    std::string m_pathBytes;
    // The size the file had when it was opened: reads that reach it need
    // no further read to find the end.
    std::size_t m_sizeAtOpen = 0;
    std::size_t m_rawRead = 0;
    // Raw bytes read ahead, so a CR at the end of one read can be paired with
    // an LF at the start of the next.
    std::string m_raw;
    std::size_t m_rawPosition = 0;
    bool m_atEnd = false;
    FolderAnswer m_nameIsFolder = FolderAnswer::kUnknown;
};

// A file created (or emptied) for writing.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile() { (void)Close(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    [[nodiscard]] bool Create(const std::wstring& path, FileMode mode);
    // Creates a file that must not exist yet, readable by its owner alone. A
    // name that is already taken, by a file or by a symbolic link (even one
    // that points nowhere), is refused: no one else can have prepared it.
    [[nodiscard]] bool CreateNew(const std::wstring& path, FileMode mode);
    // Writes all bytes (text mode: each LF as CR LF). False on an error.
    [[nodiscard]] bool Write(std::string_view bytes);
    // Closes the file; false when a write or the close failed.
    [[nodiscard]] bool Close();
    [[nodiscard]] bool IsOpen() const { return m_descriptor >= 0; }

private:
    bool Open(const std::wstring& path, FileMode mode, int flags, unsigned permissions);

    int m_descriptor = -1;
    FileMode m_mode = FileMode::kBinary;
    bool m_failed = false;
};

// True when a directory entry of that name exists, whatever it is (a file,
// a folder, a link even when dangling).
[[nodiscard]] bool PathExists(const std::wstring& path);
[[nodiscard]] bool PathBytesExist(std::string_view pathBytes);
// True when the path names a folder (following symbolic links).
[[nodiscard]] bool PathBytesAreFolder(std::string_view pathBytes);
[[nodiscard]] bool PathIsFolder(const std::wstring& path);
// The files under a folder and its sub-folders, as paths relative to it
// ("a.html", "sub/b.html"), in byte order. Folders reached through symbolic
// links are not entered, so a link back up cannot make the list endless.
[[nodiscard]] std::vector<std::string> FilesUnderFolder(std::string_view folderBytes);
// Creates one folder; false when it cannot be created (also when it exists).
bool CreateFolder(const std::wstring& path);
// Creates a new folder "<parent>/<prefix>XXXXXX" with a name no one could
// foresee, open to its owner alone; its path, or nothing when it cannot.
[[nodiscard]] std::optional<std::wstring> CreatePrivateFolder(const std::wstring& parent,
                                                              const std::wstring& prefix);
// Deletes a file; false when it cannot be deleted.
bool DeleteFile(const std::wstring& path);
// Deletes an empty folder; false when it cannot be deleted.
bool DeleteFolder(const std::wstring& path);
// Reads a whole file in binary mode; false when it cannot be opened.
[[nodiscard]] bool ReadWholeFile(const std::wstring& path, std::string* contents);
// The bytes the file system is given for path (UTF-8).
[[nodiscard]] std::string FileSystemPath(const std::wstring& path);
