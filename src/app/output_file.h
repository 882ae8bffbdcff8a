// A file written whole or not at all: the text goes to a temporary file in the same directory,
// which takes the file's name only when it is complete. A failed or abandoned write leaves the
// file as it was.
#pragma once
#include <cstdio>
#include <string>

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { discard(); }

    // Creates the temporary file beside path. False with a message when that directory cannot
    // take it.
    bool open(const std::string& path, std::string& error);
    std::FILE* stream() const { return file_; }
    // Flushes and closes the temporary file and renames it to the path. False with a message
    // when a write failed; the temporary file is removed then.
    bool commit(std::string& error);
    // Closes and removes the temporary file.
    void discard();

private:
    std::string path_, temp_;
    std::FILE* file_ = nullptr;
};
