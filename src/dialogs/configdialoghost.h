// What the satellite configuration dialog needs from the window that opens it: the plan session it
// edits a draft of, and the almanac age message.
#pragma once

class PlanSession;

class ConfigDialogHost {
public:
    virtual ~ConfigDialogHost() = default;

    virtual PlanSession& Session() = 0;
    // The age check of `session`'s almanac at its planning date with the message box `style`; its
    // answer (IDYES when within the limit).
    virtual int AlmanacAgeWarning(const PlanSession& session, unsigned style) = 0;
};
