// CP932 through glibc's iconv.
#include <iconv.h>

#include <cerrno>

#include "platform/Cp932System.h"

namespace plova::cp932 {
namespace {

// iconv descriptors are not thread-safe; each conversion direction keeps one
// descriptor per thread.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    [[nodiscard]] iconv_t Get() const { return cd_; }

private:
    iconv_t cd_;
};

// Converts as much of `in` as iconv takes through `cd`, appending to `out` in
// units of `Unit`; the number of input bytes taken.
template <typename Unit, typename Out>
std::size_t convertRun(iconv_t cd, const char* data, std::size_t size, Out& out) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(data);
    std::size_t inLeft = size;
    for (;;) {
        Unit buf[512];
        char* outp = reinterpret_cast<char*>(buf);
        std::size_t outLeft = sizeof buf;
        const std::size_t r = iconv(cd, &in, &inLeft, &outp, &outLeft);
        out.append(buf, (sizeof buf - outLeft) / sizeof(Unit));
        if (r == static_cast<std::size_t>(-1) && errno == E2BIG) continue;
        return size - inLeft;
    }
}

}  // namespace

std::size_t DecodeRun(std::string_view bytes, std::u16string& out) {
    thread_local Converter decoder("UTF-16LE", "CP932");
    return convertRun<char16_t>(decoder.Get(), bytes.data(), bytes.size(), out);
}

std::size_t EncodeRun(std::u16string_view text, std::string& out) {
    thread_local Converter encoder("CP932", "UTF-16LE");
    return convertRun<char>(encoder.Get(), reinterpret_cast<const char*>(text.data()), text.size() * 2, out) / 2;
}

}  // namespace plova::cp932
