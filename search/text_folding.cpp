#include "search/text_folding.h"

#include <algorithm>
#include <atomic>

namespace tsuzuri::search {

namespace {

// Marks that belong to the character before them: a piece is that character and its marks, folded
// together so "か" + U+3099 and half-width "ｶ" + "ﾞ" both become "ガ".
bool joinsPrevious(char32_t c) {
    if (c < 0x300)
        return false;
    if (c == 0x3099 || c == 0x309A || c == 0xFF9E || c == 0xFF9F)
        return true;
    // Hangul vowel and final jamo compose with the syllable before them, though they are starters.
    if (c >= 0x1160 && c <= 0x11FF)
        return true;
    return QChar::combiningClass(c) != 0;
}

void appendCodePoint(QString& out, char32_t c) {
    if (QChar::requiresSurrogates(c)) {
        out.append(QChar(QChar::highSurrogate(c)));
        out.append(QChar(QChar::lowSurrogate(c)));
    } else {
        out.append(QChar(char16_t(c)));
    }
}

// Case and kana of one code point of NFKC text.
char32_t foldCaseAndKana(char32_t c) {
    c = QChar::toCaseFolded(c);
    if ((c >= 0x3041 && c <= 0x3096) || c == 0x309D || c == 0x309E)
        c += 0x60;
    return c;
}

void appendSlow(QString& out, QStringView piece) {
    const QString nfkc = piece.toString().normalized(QString::NormalizationForm_KC);
    for (qsizetype i = 0; i < nfkc.size(); ++i) {
        char32_t c = nfkc[i].unicode();
        if (nfkc[i].isHighSurrogate() && i + 1 < nfkc.size() && nfkc[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(nfkc[i], nfkc[i + 1]);
            ++i;
        }
        appendCodePoint(out, foldCaseAndKana(c));
    }
}

// What each BMP character folds to on its own and whether it joins the one before, learnt on first
// sight: normalizing one character at a time costs an allocation, and a century of diary holds ten
// million of them. Bits 0-15: the folded unit; kSeveral: folds to more than one unit (asked again each
// time; rare: "㍻"). 0 = not known yet.
constexpr quint32 kKnown = 1u << 16;
constexpr quint32 kSeveral = 1u << 17;
constexpr quint32 kJoiner = 1u << 18;
std::atomic<quint32> g_units[0x10000];

[[gnu::noinline]] quint32 learnUnit(char16_t c) {
    quint32 info = kKnown | (joinsPrevious(c) ? kJoiner : 0);
    QString out;
    if (!QChar::isSurrogate(c))
        appendSlow(out, QStringView(&c, 1));
    info |= out.size() == 1 ? out[0].unicode() : kSeveral;
    g_units[c].store(info, std::memory_order_relaxed);
    return info;
}

inline quint32 unitInfo(char16_t c) {
    const quint32 info = g_units[c].load(std::memory_order_relaxed);
    return info != 0 ? info : learnUnit(c);
}

struct CodePoint {
    char32_t value;
    qsizetype units;
};

CodePoint codePointAt(QStringView s, qsizetype i) {
    const QChar c = s[i];
    if (c.isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate())
        return {QChar::surrogateToUcs4(c, s[i + 1]), 2};
    return {c.unicode(), 1};
}

bool joinsAt(QStringView s, qsizetype i) {
    if (!s[i].isSurrogate())
        return unitInfo(s[i].unicode()) & kJoiner;
    return joinsPrevious(codePointAt(s, i).value);
}

} // namespace

FoldedText::FoldedText(QStringView original) {
    const qsizetype n = original.size();
    if (n == 0)
        return;
    // Written through a pointer: appending one QChar at a time costs more than the folding itself.
    m_text.resize(n + 16);
    char16_t* out = reinterpret_cast<char16_t*>(m_text.data());
    qsizetype length = 0;
    QString piecesOut;
    const auto infoAt = [&](qsizetype k) -> quint32 {
        return k < n && !original[k].isSurrogate() ? unitInfo(original[k].unicode()) : 0;
    };
    qsizetype i = 0;
    quint32 next = infoAt(0); // looked up once, as the next character and then as the current one
    while (i < n) {
        const quint32 info = next;
        next = infoAt(i + 1);
        if (info != 0 && !(info & kSeveral)) {
            const bool joined = i + 1 < n && (next != 0 ? (next & kJoiner) : joinsAt(original, i + 1));
            if (!joined) {
                out[length++] = char16_t(info & 0xFFFF);
                ++i;
                continue;
            }
        }
        // A character with marks joining it, one outside the BMP, or one that folds to several.
        const CodePoint first = codePointAt(original, i);
        qsizetype end = i + first.units;
        while (end < n && joinsAt(original, end))
            end += codePointAt(original, end).units;
        const QStringView piece = original.sliced(i, end - i);
        piecesOut.clear();
        if (piece.size() == first.units && first.units == 2 &&
            QChar::decompositionTag(first.value) == QChar::NoDecomposition)
            appendCodePoint(piecesOut, foldCaseAndKana(first.value));
        else
            appendSlow(piecesOut, piece);
        if (length + piecesOut.size() > m_text.size()) {
            m_text.resize(std::max(m_text.size() * 2, length + piecesOut.size() + 16));
            out = reinterpret_cast<char16_t*>(m_text.data());
        }
        std::copy(piecesOut.utf16(), piecesOut.utf16() + piecesOut.size(), out + length);
        if (piecesOut.size() != piece.size())
            m_spans.append({length, piecesOut.size(), i, piece.size()});
        length += piecesOut.size();
        i = end;
        next = infoAt(i);
    }
    m_text.resize(length);
}

qsizetype FoldedText::originalStart(qsizetype foldedPos) const {
    const auto after = std::upper_bound(m_spans.cbegin(), m_spans.cend(), foldedPos,
                                        [](qsizetype p, const Span& s) { return p < s.foldedStart; });
    if (after == m_spans.cbegin())
        return foldedPos;
    const Span& s = *(after - 1);
    if (foldedPos < s.foldedStart + s.foldedLength)
        return s.originalStart;
    return s.originalStart + s.originalLength + (foldedPos - s.foldedStart - s.foldedLength);
}

qsizetype FoldedText::originalEnd(qsizetype foldedPos) const {
    const auto after = std::lower_bound(m_spans.cbegin(), m_spans.cend(), foldedPos,
                                        [](const Span& s, qsizetype p) { return s.foldedStart < p; });
    if (after == m_spans.cbegin())
        return foldedPos;
    const Span& s = *(after - 1);
    if (foldedPos <= s.foldedStart + s.foldedLength)
        return s.originalStart + s.originalLength;
    return s.originalStart + s.originalLength + (foldedPos - s.foldedStart - s.foldedLength);
}

QString fold(QStringView text) {
    return FoldedText(text).text();
}

} // namespace tsuzuri::search
