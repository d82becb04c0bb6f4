#pragma once

#include <QByteArrayView>
#include <QString>

#include <utility>
#include <vector>

namespace tsuzuri::cli {

// A JSON value as import reads it. QJsonDocument takes most of the time of a bulk import (about
// 50 MB/s); this reader decodes straight into the strings the pages are made of.
struct JsonValue {
    enum class Type { Undefined, Null, Bool, Number, String, Array, Object };
    Type type = Type::Undefined; // Undefined: a member that is not there
    bool boolean = false;
    double number = 0;
    QString string;
    std::vector<JsonValue> items;                       // of an array
    std::vector<std::pair<QString, JsonValue>> members; // of an object, in their order

    bool is(Type t) const { return type == t; }
    // The member of that name (the last, if given twice), or an Undefined value.
    const JsonValue& operator[](QStringView key) const;
};

// One JSON text (RFC 8259, UTF-8), or Undefined with the reason and the byte it was found at in error.
JsonValue readJson(QByteArrayView utf8, QString& error);

} // namespace tsuzuri::cli
