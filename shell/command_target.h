// Commands reach the windows that can carry them out through targets, in the
// order the main window fixes. A target answers both "do it" and "may it be
// done"; a target that does not know a command returns false from both, so
// the next one is asked.
#pragma once

#include "document/vantle_doc.h"

namespace orlen {

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    virtual bool OnCmdMsg(int id) = 0;
    virtual bool OnUpdateCmd(int id, CommandState& state) = 0;
};

} // namespace orlen
