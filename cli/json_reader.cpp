#include "cli/json_reader.h"

#include <cstdlib>
#include <string>
#include <string_view>

using namespace Qt::StringLiterals;

namespace tsuzuri::cli {

namespace {

class Reader {
public:
    explicit Reader(QByteArrayView text) : m_p(text.data()), m_begin(text.data()), m_end(text.data() + text.size()) {}

    JsonValue document(QString& error) {
        JsonValue v;
        if (read(v, 0)) {
            skipSpace();
            if (m_p == m_end)
                return v;
            fail("text after the value");
        }
        error = m_error + u" at byte "_s + QString::number(m_p - m_begin);
        return {};
    }

private:
    // Far deeper than any month; a hostile nesting must not exhaust the stack.
    static constexpr int kMaxDepth = 256;

    bool fail(const char* what) {
        m_error = QString::fromLatin1(what);
        return false;
    }

    void skipSpace() {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\t' || *m_p == '\n' || *m_p == '\r'))
            ++m_p;
    }

    bool literal(const char* word) {
        const std::string_view w(word);
        if (m_end - m_p < static_cast<qsizetype>(w.size()) || std::string_view(m_p, w.size()) != w)
            return fail("not a JSON value");
        m_p += w.size();
        return true;
    }

    bool read(JsonValue& v, int depth) {
        skipSpace();
        if (m_p == m_end)
            return fail("unexpected end");
        if (depth > kMaxDepth)
            return fail("nested too deeply");
        switch (*m_p) {
        case '{':
            v.type = JsonValue::Type::Object;
            return container('}', [&] {
                std::pair<QString, JsonValue> member;
                skipSpace();
                if (m_p == m_end || *m_p != '"')
                    return fail("a member name must be a string");
                if (!string(member.first))
                    return false;
                skipSpace();
                if (m_p == m_end || *m_p++ != ':')
                    return fail("\":\" missing after a member name");
                if (!read(member.second, depth + 1))
                    return false;
                v.members.push_back(std::move(member));
                return true;
            });
        case '[':
            v.type = JsonValue::Type::Array;
            return container(']', [&] {
                v.items.emplace_back();
                return read(v.items.back(), depth + 1);
            });
        case '"':
            v.type = JsonValue::Type::String;
            return string(v.string);
        case 't':
            v.type = JsonValue::Type::Bool;
            v.boolean = true;
            return literal("true");
        case 'f':
            v.type = JsonValue::Type::Bool;
            return literal("false");
        case 'n':
            v.type = JsonValue::Type::Null;
            return literal("null");
        default:
            v.type = JsonValue::Type::Number;
            return number(v.number);
        }
    }

    template <typename Element> bool container(char close, Element&& element) {
        ++m_p;
        skipSpace();
        if (m_p < m_end && *m_p == close) {
            ++m_p;
            return true;
        }
        for (;;) {
            if (!element())
                return false;
            skipSpace();
            if (m_p == m_end)
                return fail("unexpected end");
            const char c = *m_p++;
            if (c == close)
                return true;
            if (c != ',')
                return fail(close == '}' ? "\",\" or \"}\" missing" : "\",\" or \"]\" missing");
        }
    }

    bool number(double& out) {
        const char* start = m_p;
        const auto digits = [&] {
            const char* from = m_p;
            while (m_p < m_end && *m_p >= '0' && *m_p <= '9')
                ++m_p;
            return m_p > from;
        };
        if (m_p < m_end && *m_p == '-')
            ++m_p;
        if (m_p < m_end && *m_p == '0')
            ++m_p;
        else if (!digits())
            return fail("not a JSON value");
        if (m_p < m_end && *m_p == '.' && (++m_p, !digits()))
            return fail("digits missing after \".\"");
        if (m_p < m_end && (*m_p == 'e' || *m_p == 'E')) {
            ++m_p;
            if (m_p < m_end && (*m_p == '+' || *m_p == '-'))
                ++m_p;
            if (!digits())
                return fail("digits missing in an exponent");
        }
        out = std::strtod(std::string(start, m_p).c_str(), nullptr);
        return true;
    }

    int hexDigit(char c) const {
        if (c >= '0' && c <= '9')
            return c - '0';
        if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f')
            return (c | 0x20) - 'a' + 10;
        return -1;
    }

    bool string(QString& out) {
        ++m_p;
        const char* run = m_p; // UTF-8 not yet appended
        for (;;) {
            if (m_p == m_end)
                return fail("a string is not closed");
            const char c = *m_p;
            if (c == '"')
                break;
            if (static_cast<unsigned char>(c) < 0x20)
                return fail("a control character in a string");
            if (c != '\\') {
                ++m_p;
                continue;
            }
            out += QString::fromUtf8(run, m_p - run);
            if (m_end - m_p < 2)
                return fail("a string is not closed");
            const char e = m_p[1];
            m_p += 2;
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += QLatin1Char(e);
                break;
            case 'b':
                out += u'\b';
                break;
            case 'f':
                out += u'\f';
                break;
            case 'n':
                out += u'\n';
                break;
            case 'r':
                out += u'\r';
                break;
            case 't':
                out += u'\t';
                break;
            case 'u': {
                int unit = 0;
                for (int k = 0; k < 4; ++k) {
                    const int d = m_p + k < m_end ? hexDigit(m_p[k]) : -1;
                    if (d < 0)
                        return fail("\\u needs four hexadecimal digits");
                    unit = unit * 16 + d;
                }
                m_p += 4;
                out += QChar(char16_t(unit));
                break;
            }
            default:
                m_p -= 2;
                return fail("an unknown escape in a string");
            }
            run = m_p;
        }
        out += QString::fromUtf8(run, m_p - run);
        ++m_p;
        return true;
    }

    const char* m_p;
    const char* m_begin;
    const char* m_end;
    QString m_error;
};

} // namespace

const JsonValue& JsonValue::operator[](QStringView key) const {
    static const JsonValue undefined;
    for (auto it = members.rbegin(); it != members.rend(); ++it) {
        if (it->first == key)
            return it->second;
    }
    return undefined;
}

JsonValue readJson(QByteArrayView utf8, QString& error) {
    // Checked whole first: a byte that is no UTF-8 would otherwise become U+FFFD in a diary text.
    if (!utf8.isValidUtf8()) {
        error = u"not UTF-8"_s;
        return {};
    }
    return Reader(utf8).document(error);
}

} // namespace tsuzuri::cli
