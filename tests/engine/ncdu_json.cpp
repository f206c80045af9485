#include "engine/ncdu_json.h"

#include <map>
#include <set>
#include <stdexcept>

namespace corvath::test {
namespace {

// Just enough JSON for ncdu's export: objects of strings, numbers and booleans,
// nested in arrays. Strings are decoded byte for byte.
class Reader {
public:
    explicit Reader(const std::string& text) : text_(text) {}

    ExportTotals read() {
        expect('[');
        if (number() != 1) fail("major version is not 1");
        expect(',');
        number();
        expect(',');
        const auto header = object();
        totals_.progname = header.count("progname") ? header.at("progname") : "";
        expect(',');
        item(true);
        expect(']');
        skipSpace();
        if (pos_ != text_.size()) fail("text after the export");
        return totals_;
    }

private:
    using Object = std::map<std::string, std::string>;

    void item(bool root) {
        skipSpace();
        if (peek() == '[') {
            ++pos_;
            const Object info = object();
            ++totals_.folders;
            if (root) totals_.rootName = info.at("name");
            if (info.count("read_error")) ++totals_.readErrors;
            add(info);
            skipSpace();
            while (peek() == ',') {
                ++pos_;
                item(false);
                skipSpace();
            }
            expect(']');
        } else {
            const Object info = object();
            ++totals_.files;
            add(info);
        }
    }

    void add(const Object& info) {
        if (!info.count("name")) fail("an item without a name");
        if (info.count("ino") && !seen_.insert(info.at("ino")).second) return;
        if (info.count("dsize")) totals_.allocated += std::stoull(info.at("dsize"));
        if (info.count("asize")) totals_.apparent += std::stoull(info.at("asize"));
    }

    Object object() {
        expect('{');
        Object fields;
        skipSpace();
        if (peek() == '}') {
            ++pos_;
            return fields;
        }
        for (;;) {
            const std::string key = string();
            expect(':');
            skipSpace();
            if (peek() == '"') {
                fields[key] = string();
            } else if (text_.compare(pos_, 4, "true") == 0) {
                pos_ += 4;
                fields[key] = "true";
            } else if (text_.compare(pos_, 5, "false") == 0) {
                pos_ += 5;
                fields[key] = "false";
            } else {
                fields[key] = std::to_string(number());
            }
            skipSpace();
            if (peek() == ',') {
                ++pos_;
                continue;
            }
            expect('}');
            return fields;
        }
    }

    std::string string() {
        expect('"');
        std::string out;
        for (;;) {
            if (pos_ >= text_.size()) fail("unterminated string");
            const char c = text_[pos_++];
            if (c == '"') return out;
            if (static_cast<unsigned char>(c) < 0x20) fail("raw control character in a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            const char e = text_[pos_++];
            switch (e) {
            case 'n': out += '\n'; break;
            case 't': out += '\t'; break;
            case 'r': out += '\r'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case '\\': out += '\\'; break;
            case '"': out += '"'; break;
            case '/': out += '/'; break;
            case 'u': out += static_cast<char>(std::stoi(text_.substr(pos_, 4), nullptr, 16)); pos_ += 4; break;
            default: fail("bad escape");
            }
        }
    }

    std::uint64_t number() {
        skipSpace();
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
        if (start == pos_) fail("a number was expected");
        return std::stoull(text_.substr(start, pos_ - start));
    }

    void expect(char c) {
        skipSpace();
        if (peek() != c) fail(std::string("'") + c + "' expected");
        ++pos_;
    }
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }
    void skipSpace() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\t')) ++pos_;
    }
    [[noreturn]] void fail(const std::string& what) const {
        throw std::runtime_error(what + " at byte " + std::to_string(pos_));
    }

    const std::string& text_;
    std::size_t pos_ = 0;
    ExportTotals totals_;
    std::set<std::string> seen_;
};

}  // namespace

ExportTotals readExportTotals(const std::string& json) { return Reader(json).read(); }

}  // namespace corvath::test
