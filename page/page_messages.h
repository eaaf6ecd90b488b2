// Messages the page model shows to the user, and the sink they go through.
//
// The page model has no user interface of its own. When it needs to tell the
// user something (a title element that is not closed, a call on an untyped
// section) it hands the text to the installed MessageSink: the editor shows a
// message box, the command-line tool prints it, tests record it.
#pragma once

#include <string>
#include <string_view>

namespace orlen {

// Fixed texts of the page model.
namespace page_texts {
inline constexpr std::string_view kUntypedGetText =
    "Oh dear! GetText called from an untyped section.";
inline constexpr std::string_view kUntypedGetTextResult = "Error - this shouldn't have been called";
inline constexpr std::string_view kTitleNotClosed = "\r\nIs not </title>?";
// How a page's charset was decided, after its name in the status bar.
inline constexpr std::string_view kCharsetDetected = "%1 (detected)";
inline constexpr std::string_view kCharsetAssumed = "%1 (assumed)";
inline constexpr std::string_view kCharsetUnsupported = "%1 (not supported: read-only)";
} // namespace page_texts

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows an informational message with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
};

// Installs the sink for the page-model messages of the calling thread and
// returns its previous one. Passing nullptr restores the default, which
// writes to standard error. Each thread starts with the default.
MessageSink* SetPageMessageSink(MessageSink* sink);

// Sends a message to the calling thread's sink.
void ShowPageMessage(const std::string& text);

// Installs a sink for the calling thread for the lifetime of the guard
// (tests, tools).
class ScopedPageMessageSink {
public:
    explicit ScopedPageMessageSink(MessageSink* sink) : previous_(SetPageMessageSink(sink)) {}
    ~ScopedPageMessageSink() { SetPageMessageSink(previous_); }
    ScopedPageMessageSink(const ScopedPageMessageSink&) = delete;
    ScopedPageMessageSink& operator=(const ScopedPageMessageSink&) = delete;

private:
    MessageSink* previous_;
};

} // namespace orlen
