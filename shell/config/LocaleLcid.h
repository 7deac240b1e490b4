#pragma once
// The language tables are keyed by Windows locale identifiers (LCIDs). On Linux the user's
// locale comes as a POSIX name ("es_ES.UTF-8", "pl_PL", "sr_RS@latin"); this turns it into the
// LCID that Windows would report for the same language and country.

#include <string>
#include <string_view>

constexpr int kLcidEnglishUs = 1033;

// The LCID of a POSIX locale name. An unknown country takes its language's main LCID; an unknown
// language, "C", "POSIX" and an empty name give English (United States).
int LcidFromLocaleName(std::string_view name);

// The locale that decides the message language: LC_ALL, else LC_MESSAGES, else LANG (the first
// one set and not empty). Empty when none is set.
std::string UserMessageLocale();
