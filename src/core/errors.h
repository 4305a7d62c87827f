#pragma once
// The errors that game data can raise. They travel to the two places where
// events enter the program (the start-up sequence and the button handlers),
// whose default error handler shows the message; nothing else catches them.
#include "core/own_text.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace taleplay {

// Messages are Windows-1251 bytes, like every other text of the program.
class TaleError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A text that should have been a number or colour.
class ConversionError : public TaleError {
  public:
    using TaleError::TaleError;
};

// A picture that cannot be loaded: unknown extension, damaged or too large.
// The builder that loads it adds which component and which file it is for,
// so the message names them.
class PictureError : public TaleError {
  public:
    // A text shown as it is in every language.
    explicit PictureError(const std::string& message);
    // A text the player has always been shown whole, and still is: neither
    // translated nor given the component and file.
    static PictureError whole(const std::string& message);
    // A text of our own, shown in the player's language.
    explicit PictureError(OwnText reason);

    const char* what() const noexcept override { return shown_.c_str(); }
    // The text without the component and file, as written or in English.
    const std::string& reason() const { return reason_; }
    const std::optional<OwnText>& ownReason() const { return ownReason_; }

    // Names the component ("picture %1") and the file (as the description
    // file writes it, Windows-1251) in the message; either may be empty.
    void setSource(std::optional<OwnText> component, std::string file);
    // "component, file: reason", leaving out what is empty, with the
    // component and the reason as given (translated, say).
    std::string compose(const std::string& component, const std::string& reason) const;
    const std::optional<OwnText>& component() const { return component_; }
    const std::string& file() const { return file_; }

  private:
    std::string reason_;
    std::optional<OwnText> ownReason_;
    std::optional<OwnText> component_;
    std::string file_;
    std::string shown_;
    bool whole_ = false;
};

// A picture refused by the memory budget of all pictures (our own limit):
// the component is left out and the screen goes on being built, where a
// damaged picture stops it.
class PictureBudgetError : public PictureError {
  public:
    using PictureError::PictureError;
};

// A file that exists but cannot be read or written.
class InOutError : public TaleError {
  public:
    using TaleError::TaleError;
};

// An operation applied to a component of the wrong kind.
class InvalidCast : public TaleError {
  public:
    InvalidCast() : TaleError("Invalid class typecast") {}
};

// A control name that is already taken on the window.
class ComponentError : public TaleError {
  public:
    using TaleError::TaleError;
};

// Not an error of the game: the halting missing-file report was closed and
// the program must end now. It is not a TaleError on purpose, so the default
// error handler never swallows it.
struct ProgramHalted {};

} // namespace taleplay
