#pragma once
// The checker speaks the author's language: its messages are looked up in
// gettext's catalogue of the "taleplay-check" domain, and stay English where
// there is none. Messages are whole sentences with numbered places ("{1}")
// that a translation may put in any order.
#include <initializer_list>
#include <string>
#include <string_view>

namespace taleplay::check {

inline constexpr const char* kTextDomain = "taleplay-check";

// The translation of an English message (a literal, which xgettext finds by
// this name).
const char* tr(const char* english);

// The form of a message for the count `n`, by the plural rules of the
// language.
const char* trn(const char* one, const char* many, unsigned long n);

// Marks a literal for the catalogue where it is translated later with tr().
constexpr const char* N_(const char* english) {
    return english;
}

// `pattern` with "{1}" to "{9}" replaced by the arguments.
std::string format(std::string_view pattern, std::initializer_list<std::string_view> args);

// Chooses the language of the messages from the environment and finds the
// catalogues: beside the program in the build tree, or where it is
// installed. See the .cpp for a Russian locale the system does not have.
void setUpMessages();

} // namespace taleplay::check
