#include "page/page_section.h"

#include "page/page_messages.h"

namespace orlen {

std::string CPageSection::GetText() const {
    ShowPageMessage(std::string(page_texts::kUntypedGetText));
    return std::string(page_texts::kUntypedGetTextResult);
}

} // namespace orlen
