#pragma once
// What a school's database holds for Taleplay, made by its administrator
// once: the schema `taleplay` with the results and the class lists, and two
// roles. taleplay_pupil may only add results: it reads, changes and deletes
// nothing, so a pupil who finds its password (every pupil's computer must
// know it) learns no mark and spoils none. taleplay_teacher reads both
// tables and changes nothing.
#include "resultsdb/connection.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace taleplay::resultsdb {

inline constexpr const char* kPupilRole = "taleplay_pupil";
inline constexpr const char* kTeacherRole = "taleplay_teacher";

// Makes what is missing and grants what the roles may do (and no more),
// sets a role's password when one is given, and never touches a result or a
// class list: running it again changes nothing. The connection needs the
// right to create roles and, in its database, schemas. Empty when done; the
// server's words otherwise, nothing of it made.
std::string initialise(Connection& connection, const std::optional<std::string>& pupilPassword,
                       const std::optional<std::string>& teacherPassword);

// Puts the class list of `className` (logins and names, in their order) in
// the place of the one the database held. Empty when done; the server's
// words otherwise, the old list kept.
std::string storeClassList(Connection& connection, const std::string& className,
                           const std::vector<std::pair<std::string, std::string>>& pupils);

} // namespace taleplay::resultsdb
