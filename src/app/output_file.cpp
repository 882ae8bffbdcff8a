#include "app/output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

bool OutputFile::open(const std::string& path, std::string& error) {
    discard();
    path_ = path;
    temp_ = path + ".XXXXXX";
    const int fd = mkstemp(&temp_[0]);
    if (fd < 0) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        temp_.clear();
        return false;
    }
    // mkstemp makes the file private; the finished file gets the permissions a new file would.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    file_ = fdopen(fd, "w");
    if (!file_) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        ::close(fd);
        discard();
        return false;
    }
    return true;
}

bool OutputFile::commit(std::string& error) {
    if (!file_) {
        error = "nothing to write to '" + path_ + "'";
        return false;
    }
    const bool written = !std::ferror(file_) && std::fflush(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!written || !closed || std::rename(temp_.c_str(), path_.c_str()) != 0) {
        error = "cannot write '" + path_ + "': " + std::strerror(errno);
        discard();
        return false;
    }
    temp_.clear();
    return true;
}

void OutputFile::discard() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
    if (!temp_.empty()) std::remove(temp_.c_str());
    temp_.clear();
}
