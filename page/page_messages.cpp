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
MessageSink* gSink = nullptr;

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
