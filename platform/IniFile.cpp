#include "platform/IniFile.h"


#include "platform/Text.h"

namespace plova {
namespace {

constexpr auto npos = std::string::npos;

std::string_view trim(std::string_view s) {
    const auto isSpace = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    };
    while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
        if (x != y) return false;
    }
    return true;
}

// "[name]" → name; nullopt for other lines.
std::optional<std::string_view> sectionName(std::string_view line) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    const auto close = line.find(']');
    if (close == npos) return std::nullopt;
    return trim(line.substr(1, close - 1));
}

bool isComment(std::string_view line) {
    line = trim(line);
    return !line.empty() && line.front() == ';';
}

}  // namespace

IniDocument IniDocument::Load(const std::filesystem::path& file, ReadResult* result) {
    IniDocument doc;
    std::string text;
    const ReadResult read = ReadWholeFile(file, text, kMaxProfileBytes);
    if (result) *result = read;
    if (read != ReadResult::Ok) return doc;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        doc.lines_.push_back(std::move(line));
        start = end + 1;
    }
    return doc;
}

IniDocument::Located IniDocument::locate(const std::string& section, const std::string& key) const {
    Located at{npos, npos, npos};
    bool inSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view line = lines_[i];
        if (auto name = sectionName(line)) {
            if (inSection) break;  // the first section of that name is the one used
            inSection = sameName(*name, section);
            if (inSection) at.sectionLine = i, at.insertAt = i + 1;
            continue;
        }
        if (!inSection || isComment(line)) continue;
        const auto eq = line.find('=');
        if (eq == npos) continue;
        if (!trim(line.substr(0, eq)).empty()) at.insertAt = i + 1;
        if (sameName(trim(line.substr(0, eq)), key)) {
            at.keyLine = i;
            return at;
        }
    }
    return at;
}

std::optional<std::u16string> IniDocument::Get(std::u16string_view section, std::u16string_view key) const {
    const Located at = locate(ToCp932(section), ToCp932(key));
    if (at.keyLine == npos) return std::nullopt;
    const std::string_view line = lines_[at.keyLine];
    std::string_view value = trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return FromCp932(value);
}

std::u16string IniDocument::GetString(std::u16string_view section, std::u16string_view key,
                                      std::u16string_view fallback) const {
    auto v = Get(section, key);
    return v ? *v : std::u16string(fallback);
}

int IniDocument::GetInt(std::u16string_view section, std::u16string_view key, int fallback) const {
    const auto v = Get(section, key);
    if (!v) return fallback;
    std::size_t i = 0;
    bool negative = false;
    if (i < v->size() && ((*v)[i] == u'-' || (*v)[i] == u'+')) negative = (*v)[i++] == u'-';
    long long n = 0;
    for (; i < v->size() && (*v)[i] >= u'0' && (*v)[i] <= u'9'; ++i) {
        n = n * 10 + ((*v)[i] - u'0');
        if (n > 0x7FFFFFFFLL) n = 0x80000000LL;  // saturate; the value is out of range anyway
    }
    if (negative) n = -n;
    if (n > 0x7FFFFFFFLL) n = 0x7FFFFFFFLL;
    if (n < -0x80000000LL) n = -0x80000000LL;
    return static_cast<int>(n);
}

void IniDocument::Set(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    const std::string s = ToCp932(section), k = ToCp932(key);
    std::string line = k + "=" + ToCp932(value);
    // A value cannot span lines.
    for (char& c : line)
        if (c == '\r' || c == '\n') c = ' ';
    const Located at = locate(s, k);
    if (at.keyLine != npos) {
        lines_[at.keyLine] = std::move(line);
    } else if (at.sectionLine != npos) {
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at.insertAt), std::move(line));
    } else {
        lines_.push_back("[" + s + "]");
        lines_.push_back(std::move(line));
    }
}

void IniDocument::SetInt(std::u16string_view section, std::u16string_view key, int value) {
    Set(section, key, FromUtf8(std::to_string(value)));
}

void IniDocument::Remove(std::u16string_view section, std::u16string_view key) {
    const Located at = locate(ToCp932(section), ToCp932(key));
    if (at.keyLine != npos) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at.keyLine));
}

std::string IniDocument::Bytes() const {
    std::string out;
    for (const auto& l : lines_) {
        out += l;
        out += "\r\n";
    }
    return out;
}

bool IniDocument::Save(const std::filesystem::path& file, NewFileMode mode) const {
    return WriteFileAtomically(file, Bytes(), mode);
}

std::u16string ReadProfileString(const std::filesystem::path& file, std::u16string_view section,
                                 std::u16string_view key, std::u16string_view fallback) {
    return IniDocument::Load(file).GetString(section, key, fallback);
}

int ReadProfileInt(const std::filesystem::path& file, std::u16string_view section, std::u16string_view key,
                   int fallback) {
    return IniDocument::Load(file).GetInt(section, key, fallback);
}

std::optional<IniDocument> LoadForUpdate(const std::filesystem::path& file) {
    ReadResult read;
    IniDocument doc = IniDocument::Load(file, &read);
    if (read != ReadResult::Ok && read != ReadResult::Missing) return std::nullopt;
    return doc;
}

bool WriteProfileText(const std::filesystem::path& file, std::u16string_view section, std::u16string_view key,
                      std::u16string_view value) {
    std::optional<IniDocument> doc = LoadForUpdate(file);
    if (!doc) return false;
    doc->Set(section, key, value);
    return doc->Save(file);
}

bool WriteProfileInt(const std::filesystem::path& file, std::u16string_view section, std::u16string_view key,
                     int value) {
    return WriteProfileText(file, section, key, FromUtf8(std::to_string(value)));
}

bool DeleteProfileKey(const std::filesystem::path& file, std::u16string_view section, std::u16string_view key) {
    std::optional<IniDocument> doc = LoadForUpdate(file);
    if (!doc) return false;
    doc->Remove(section, key);
    return doc->Save(file);
}

}  // namespace plova
