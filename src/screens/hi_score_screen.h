#pragma once
// The high-score screen: the scrolling table between two fades.

// Any key after the fade-in ends it.
void ShowHighScores();
