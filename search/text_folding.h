#pragma once

#include <QList>
#include <QString>
#include <QStringView>

namespace tsuzuri::search {

// A text made comparable the way a Japanese reader compares: compatibility forms unified (NFKC: full-width
// "ＡＢＣ" is "ABC", half-width "ｶﾞ" is "ガ", "㍻" is "平成"), case folded, hiragana as katakana. Where a
// piece of the original changed length, a span remembers it, so a match in the folded text can be shown
// on the original.
class FoldedText {
public:
    FoldedText() = default;
    explicit FoldedText(QStringView original);

    const QString& text() const { return m_text; }

    // The original range [start, end) a folded range covers; a range that starts or ends inside a folded
    // piece widens to the whole piece ("成" found in "㍻" shows the whole "㍻").
    qsizetype originalStart(qsizetype foldedPos) const;
    qsizetype originalEnd(qsizetype foldedPos) const;

private:
    // Pieces whose folded length differs from the original's, in order. Between them positions shift
    // by the difference the pieces before have accumulated.
    struct Span {
        qsizetype foldedStart;
        qsizetype foldedLength;
        qsizetype originalStart;
        qsizetype originalLength;
    };
    QString m_text;
    QList<Span> m_spans;
};

// The folded text alone (for the typed terms).
QString fold(QStringView text);

} // namespace tsuzuri::search
