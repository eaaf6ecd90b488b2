// Template files read, then applied to a page, both decoded from the input.
// Applying must keep the page's body from the first opening body tag on to
// the byte and leave a text that is a fixed point of loading and rebuilding,
// also after the template itself has been edited.
#include "document/scripted_ui.h"
#include "document/vantle_doc.h"
#include "fuzz/fuzz_check.h"
#include "page/line_reader.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

namespace {

void CheckApplied(orlen::CHtmlPage& page, const std::string& pageText) {
    const std::string& applied = page.GetText();
    if (page.BodyTextPosition() >= 0) {
        const std::string_view body =
            std::string_view(pageText).substr(static_cast<std::size_t>(page.BodyTextPosition()));
        FUZZ_CHECK(applied.size() >= body.size());
        FUZZ_CHECK(std::string_view(applied).substr(applied.size() - body.size()) == body);
    }
    orlen::CHtmlPage again;
    again.SetText(applied, 1);
    FUZZ_CHECK(again.GetText() == applied);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orlen::fuzz::SilencePageMessages();
    FuzzedDataProvider input(data, size);
    const std::string templateText = orlen::LinesToCrLf(input.ConsumeRandomLengthString(1 << 15));
    const std::string pageText = orlen::LinesToCrLf(input.ConsumeRandomLengthString(1 << 15));

    orlen::ScriptedUi ui;
    orlen::CVantleDoc doc(ui);
    doc.Template().SetText(templateText, 0);
    doc.templateOpen = 1;
    doc.Page().SetText(pageText, 1);

    // Everything the template form reads.
    std::string title;
    int action = 0;
    (void)doc.GetTemplateTitle(title, action);
    std::string name;
    std::string content;
    int httpEquiv = 0;
    for (int i = 0; i < 256 && doc.GetTemplateMeta(i, name, content, httpEquiv, action) != 0; ++i) {
    }

    doc.ApplyTemplate();
    CheckApplied(doc.Page(), pageText);

    // Editing the template with the rest of the input, then applying again.
    const int newAction = input.ConsumeIntegral<int>();
    const std::string tagName = input.ConsumeRandomLengthString(24);
    const std::string tagValue = input.ConsumeRandomLengthString(64);
    doc.SetTemplateTitle(tagValue, newAction);
    doc.SetTemplateMeta(tagName, tagValue, input.ConsumeBool() ? 1 : 0, newAction);
    (void)doc.Template().GetMetaAction(tagName);
    doc.ApplyTemplate();
    CheckApplied(doc.Page(), pageText);
    return 0;
}
