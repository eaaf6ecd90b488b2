#include "page/page_messages.h"

#include <cstdio>

namespace orlen {

namespace {

class StderrSink final : public MessageSink {
public:
    void ShowMessage(const std::string& text) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
};

StderrSink gStderrSink;
// Each thread has its own sink, so that the workers of a pool can each
// gather the messages of their own pages.
thread_local MessageSink* gSink = nullptr;

} // namespace

MessageSink* SetPageMessageSink(MessageSink* sink) {
    MessageSink* previous = gSink;
    gSink = sink;
    return previous;
}

void ShowPageMessage(const std::string& text) {
    (gSink != nullptr ? gSink : &gStderrSink)->ShowMessage(text);
}

} // namespace orlen
