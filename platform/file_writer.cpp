#include "platform/file_writer.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// The permissions a new file gets: those of the target it replaces, else
// what the umask leaves of rw-rw-rw-.
mode_t file_mode_for(const std::filesystem::path& target)
{
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0 && S_ISREG(status.st_mode))
        return status.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The folder's entry of the renamed file is made durable too; a folder that
// cannot be synced (some file systems refuse) leaves the file written.
void sync_folder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

std::string system_error(int code)
{
    return std::strerror(code != 0 ? code : EIO);
}

}  // namespace

FileWriter::FileWriter(std::filesystem::path target) : target_(std::move(target))
{
    // ".NAME.XXXXXX" beside the target; a long name is cut so that the
    // temporary name stays within the file system's limit.
    std::string base = target_.filename().string();
    if (base.size() > 200)
        base.resize(200);
    const std::string pattern = (target_.parent_path() / ("." + base + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error_ = system_error(errno);
        return;
    }
    temporary_ = name.data();
    if (::fchmod(fd, file_mode_for(target_)) != 0) {
        error_ = system_error(errno);
        ::close(fd);
        discard();
        return;
    }
    stream_ = ::fdopen(fd, "wb");
    if (stream_ == nullptr) {
        error_ = system_error(errno);
        ::close(fd);
        discard();
        return;
    }
    errno = 0;
}

FileWriter::~FileWriter()
{
    if (stream_ != nullptr)
        std::fclose(stream_);
    stream_ = nullptr;
    discard();
}

void FileWriter::fail(std::string why)
{
    if (error_.empty())
        error_ = std::move(why);
}

void FileWriter::discard()
{
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

bool FileWriter::commit()
{
    if (stream_ == nullptr) {
        if (error_.empty())
            error_ = system_error(EBADF);
        return false;
    }
    // A write that failed earlier left its reason in errno; a flush that
    // fails now gives its own.
    const int earlier = std::ferror(stream_) != 0 ? errno : 0;
    if (error_.empty() && std::ferror(stream_) != 0)
        error_ = system_error(earlier);
    if (error_.empty() && std::fflush(stream_) != 0)
        error_ = system_error(errno);
    if (error_.empty() && ::fsync(::fileno(stream_)) != 0)
        error_ = system_error(errno);
    const int closed = std::fclose(stream_);
    const int close_errno = errno;
    stream_ = nullptr;
    if (error_.empty() && closed != 0)
        error_ = system_error(close_errno);
    if (error_.empty() && ::rename(temporary_.c_str(), target_.c_str()) != 0)
        error_ = system_error(errno);
    if (!error_.empty()) {
        discard();
        return false;
    }
    temporary_.clear();
    sync_folder(target_.parent_path());
    return true;
}

bool file_writer_write(const std::filesystem::path& target, std::string_view bytes, std::string* error)
{
    FileWriter writer(target);
    if (writer.stream() != nullptr && !bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), writer.stream());
    const bool written = writer.commit();
    if (!written && error != nullptr)
        *error = writer.error();
    return written;
}
