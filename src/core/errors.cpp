// Picture errors that name the component and the file they were loaded for.
#include "core/errors.h"

namespace taleplay {

PictureError::PictureError(const std::string& message)
    : TaleError(message), reason_(message), shown_(message) {}

PictureError PictureError::whole(const std::string& message) {
    PictureError e(message);
    e.whole_ = true;
    return e;
}

PictureError::PictureError(OwnText reason)
    : TaleError(reason.english()), reason_(reason.english()), ownReason_(std::move(reason)),
      shown_(reason_) {}

void PictureError::setSource(std::optional<OwnText> component, std::string file) {
    component_ = std::move(component);
    file_ = std::move(file);
    shown_ = compose(component_ ? component_->english() : std::string(), reason_);
}

std::string PictureError::compose(const std::string& component, const std::string& reason) const {
    if (whole_)
        return reason;
    std::string where = component;
    if (!file_.empty())
        where += (where.empty() ? "" : ", ") + file_;
    return where.empty() ? reason : where + ": " + reason;
}

} // namespace taleplay
