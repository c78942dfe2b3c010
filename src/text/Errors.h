#pragma once
// The exception family of Brevanto. Every error the program raises on purpose derives from
// EBrevantoError, so callers can tell our own, user-presentable messages from anything else.
#include <stdexcept>
#include <string>

class EBrevantoError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A typed entry could not be accepted (evaluator failures, wrong integer, out of range in a cell).
class EAssignError : public EBrevantoError {
  public:
    using EBrevantoError::EBrevantoError;
};

// Raised inside the numeric entry boxes only: the entry has a fractional part / is below / is above.
class EIntError : public EBrevantoError {
  public:
    using EBrevantoError::EBrevantoError;
};
class EMinError : public EBrevantoError {
  public:
    using EBrevantoError::EBrevantoError;
};
class EMaxError : public EBrevantoError {
  public:
    using EBrevantoError::EBrevantoError;
};

// Input/output error of the word reader and of file access: the message is shown to the user as is.
class EInOutError : public EBrevantoError {
  public:
    using EBrevantoError::EBrevantoError;
};

// Internal consistency failures with fixed texts ("Data of wrong type", "Index out of bounds", ...).
class EGeneralError : public EBrevantoError {
  public:
    using EBrevantoError::EBrevantoError;
};

// A definition or value text is wrong at a known line: the message already starts with "Line <n>: ",
// so a caller that adds its own context passes it on unchanged.
class ELineError : public EGeneralError {
  public:
    using EGeneralError::EGeneralError;
};
