#pragma once
// The one error type that stops the game. `main` catches it, prints the
// message together with the file or object it concerns, and exits non-zero.
#include <stdexcept>
#include <string>

namespace sq {

inline constexpr const char* kNullObjectMessage = "Attempt to access field or method of Null object";
inline constexpr const char* kStreamReadMessage = "Error reading from stream";
inline constexpr const char* kStreamWriteMessage = "Error writing to stream";
inline constexpr const char* kListIndexMessage = "List index out of range";

class TRuntimeError : public std::runtime_error {
public:
    // `message` is the game's own text; `subject` names the file or object
    // it concerns ("gfx/fiocco.png", "image imgFiocco"), empty when unknown.
    TRuntimeError(const std::string& message, std::string subject = {})
        : std::runtime_error(message), subject_(std::move(subject)) {}
    const std::string& Subject() const { return subject_; }

private:
    std::string subject_;
};

// Throws the Null-object error when `p` holds nothing.
template <class P>
inline void RequireObject(const P& p, const char* subject) {
    if (!p) throw TRuntimeError(kNullObjectMessage, subject ? subject : "");
}

}  // namespace sq
