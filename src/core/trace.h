#pragma once
// A line per screen the game enters and per choice it takes in a menu or the
// name entry, appended to the file named by the SNOWQUILL_TRACE environment
// variable when it is set (and nothing at all otherwise). A script that
// drives the real game with key events reads it to know what the game is
// ready for before it sends the next key; a player can attach it to a report.
#include <string>

// Appends "what detail" and flushes, so a reader sees it at once.
void TraceState(const char* what, const std::string& detail = {});
void TraceState(const char* what, int value);
