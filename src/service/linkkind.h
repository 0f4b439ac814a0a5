// Direct or telephone: what the kind of link allows and how the program follows it.
#pragma once

#include <QString>

namespace ktv31 {

class ConnectionSettings;

class LinkKind
{
public:
    // The kind the settings name; the one place that reads the link type.
    static LinkKind Of(const ConnectionSettings &settings);
    // The kind a choice of the connection form's list stands for.
    static LinkKind OfType(int linkType);
    static LinkKind Direct() { return LinkKind(false); }

    bool telephone() const { return telephone_; }
    // The link is made by dialling and ended by hanging up.
    bool dials() const { return telephone_; }
    // After a table-3 write the program's own port follows the controller's new speed; over a
    // telephone link the modem keeps the line's speed, so it stays.
    bool speedFollowsTableWrite() const { return !telephone_; }
    // Whole tables are rewritten (the table-state repair, the tool's --tables) only directly:
    // over a modem only what changed is written.
    bool wholeTableWritesAllowed() const { return !telephone_; }
    // Probing speeds needs the port's own speed to reach the controller.
    bool speedDetectionAllowed() const { return !telephone_; }

    static QString WholeTableWritesRefused(); // the operation's refusal, as the person reads it
    static QString SpeedDetectionRefused();

private:
    explicit LinkKind(bool telephone) : telephone_(telephone) {}
    bool telephone_;
};

} // namespace ktv31
