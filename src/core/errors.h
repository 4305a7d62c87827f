#pragma once
// The errors that game data can raise. They travel to the two places where
// events enter the program (the start-up sequence and the button handlers),
// whose default error handler shows the message; nothing else catches them.
#include <stdexcept>
#include <string>

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
class PictureError : public TaleError {
  public:
    using TaleError::TaleError;
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
