// CheckAndStoreLinkForm: the order of the connection dialog's checks, in one place.
#include "service/linkform.h"

#include "service/linkkind.h"

namespace ktv31 {

std::optional<LinkFault> CheckAndStoreLinkForm(const LinkForm &form, ConnectionSettings &working,
                                               const std::function<void()> &selectionsPassed)
{
    if (LinkKind::OfType(form.linkType).dials())
        if (auto fault = CheckTelephoneParameters(form, working))
            return fault;
    if (auto fault = CheckLinkSelections(form))
        return fault;
    if (selectionsPassed)
        selectionsPassed();
    return StoreLinkParameters(form, working);
}

} // namespace ktv31
