#include "app/posix/interpreter.h"

#include <elf.h>
#include <fcntl.h>
#include <limits.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstring>

namespace posix {
namespace {

// The machine this program was built for: only its ELF programs go to the loader.
#if defined(__x86_64__)
constexpr int kMachine = EM_X86_64;
#elif defined(__i386__)
constexpr int kMachine = EM_386;
#elif defined(__aarch64__)
constexpr int kMachine = EM_AARCH64;
#elif defined(__arm__)
constexpr int kMachine = EM_ARM;
#elif defined(__riscv)
constexpr int kMachine = EM_RISCV;
#elif defined(__powerpc64__)
constexpr int kMachine = EM_PPC64;
#elif defined(__s390x__)
constexpr int kMachine = EM_S390;
#else
constexpr int kMachine = -1; // unknown: no ELF is taken for this machine's
#endif
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr unsigned char kData = ELFDATA2LSB;
#else
constexpr unsigned char kData = ELFDATA2MSB;
#endif
constexpr unsigned char kClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;

// The kernel reads this much of a script for its `#!` line.
constexpr std::size_t kScriptHead = 256;
// More program headers than any real program has: a hostile file is not walked on.
constexpr unsigned kMaxProgramHeaders = 1024;

struct File {
    int fd = -1;
    explicit File(const std::string& path)
        : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)) {}
    ~File() {
        if (fd >= 0)
            ::close(fd);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool read_at(void* into, std::size_t size, off_t offset) const {
        return ::pread(fd, into, size, offset) == static_cast<ssize_t>(size);
    }
};

bool is_executable_file(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0111) != 0 &&
           ::access(path.c_str(), X_OK) == 0;
}

// The loader an ELF program of this machine names (PT_INTERP), as execve would use it.
std::optional<Interpreter> elf_loader(const File& file) {
    ElfW(Ehdr) header{};
    if (!file.read_at(&header, sizeof header, 0) || header.e_ident[EI_CLASS] != kClass ||
        header.e_ident[EI_DATA] != kData || header.e_machine != kMachine ||
        (header.e_type != ET_EXEC && header.e_type != ET_DYN) ||
        header.e_phentsize != sizeof(ElfW(Phdr)) || header.e_phnum > kMaxProgramHeaders)
        return std::nullopt;
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        ElfW(Phdr) ph{};
        const auto at = static_cast<off_t>(header.e_phoff + i * sizeof ph);
        if (!file.read_at(&ph, sizeof ph, at))
            return std::nullopt;
        if (ph.p_type != PT_INTERP)
            continue;
        if (ph.p_filesz < 2 || ph.p_filesz > PATH_MAX)
            return std::nullopt;
        std::string loader(ph.p_filesz, '\0');
        if (!file.read_at(loader.data(), loader.size(), static_cast<off_t>(ph.p_offset)) ||
            loader.back() != '\0')
            return std::nullopt;
        loader.resize(std::strlen(loader.c_str()));
        if (loader.empty() || loader[0] != '/' || !is_executable_file(loader))
            return std::nullopt;
        return Interpreter{Interpreter::Kind::Loader, {loader}};
    }
    return std::nullopt; // static: only the kernel can start it
}

bool is_space(char c) {
    return c == ' ' || c == '\t';
}

// `#!interpreter [argument]`, split as the kernel splits it: one argument, blanks trimmed.
std::optional<Interpreter> script_interpreter(std::string_view head) {
    head.remove_prefix(2);
    head = head.substr(0, head.find('\n'));
    std::size_t i = 0;
    while (i < head.size() && is_space(head[i]))
        ++i;
    std::size_t end = i;
    while (end < head.size() && !is_space(head[end]))
        ++end;
    const std::string interpreter(head.substr(i, end - i));
    std::string_view argument = head.substr(end);
    while (!argument.empty() && is_space(argument.front()))
        argument.remove_prefix(1);
    while (!argument.empty() && is_space(argument.back()))
        argument.remove_suffix(1);
    if (interpreter.empty() || interpreter[0] != '/' ||
        interpreter.find('\0') != std::string::npos || !is_executable_file(interpreter))
        return std::nullopt;
    Interpreter result{Interpreter::Kind::Script, {interpreter}};
    if (!argument.empty())
        result.command.emplace_back(argument);
    return result;
}

} // namespace

std::optional<Interpreter> interpreter_for(const std::string& path) {
    const File file(path);
    struct stat st {};
    if (file.fd < 0 || ::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    std::array<char, kScriptHead> buffer{};
    const ssize_t n = ::pread(file.fd, buffer.data(), buffer.size(), 0);
    if (n < 0)
        return std::nullopt;
    const std::string_view head(buffer.data(), static_cast<std::size_t>(n));
    if (head.substr(0, SELFMAG) == std::string_view(ELFMAG, SELFMAG))
        return elf_loader(file);
    if (head.substr(0, 2) == "#!")
        return script_interpreter(head);
    // Text without `#!`, documents, Windows programs: execve refuses them with an exec bit,
    // so they start on no medium.
    return std::nullopt;
}

} // namespace posix
