#include "core/text_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace quorvex {

namespace {

constexpr std::size_t FirstChunk = 4096;

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};

}  // namespace

bool ReadToEnd(const ReadChunk &read, std::string &text)
{
    std::size_t size = 0;
    text.resize(std::max(text.capacity(), FirstChunk));
    for (;;) {
        if (size == text.size())
            text.resize(text.size() * 2);
        const std::ptrdiff_t got = read(text.data() + size, text.size() - size);
        if (got < 0) {
            text.clear();
            return false;
        }
        if (got == 0)
            break;
        size += static_cast<std::size_t>(got);
    }
    text.resize(size);
    return true;
}

FileReadResult ReadTextFile(const std::string &path, std::string &text)
{
    text.clear();
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (status.type() == std::filesystem::file_type::not_found)
        return FileReadResult::Missing;
    if (ec || status.type() != std::filesystem::file_type::regular)
        return FileReadResult::Failed;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return FileReadResult::Failed;
    // Unbuffered: every read goes straight into the string.
    std::setvbuf(file.get(), nullptr, _IONBF, 0);
    const bool read = ReadToEnd(
        [&file](char *into, std::size_t size) -> std::ptrdiff_t {
            for (;;) {
                errno = 0;
                const std::size_t got = std::fread(into, 1, size, file.get());
                if (got > 0 || std::feof(file.get()))
                    return static_cast<std::ptrdiff_t>(got);
                if (errno != EINTR)
                    return -1;
                std::clearerr(file.get());
            }
        },
        text);
    return read ? FileReadResult::Ok : FileReadResult::Failed;
}

}  // namespace quorvex
