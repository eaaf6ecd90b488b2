// Text between the core's UTF-8 strings and Qt's QString, for every ui/
// folder. (Page bytes in a page's own charset are decoded by the core first.)
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace orlen {

inline QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace orlen
