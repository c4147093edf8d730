#pragma once

// Drops the clicks, wheel turns and key presses that reached the program while
// a job ran without returning to the event loop; everything else that waits
// (painting, timers, window changes) is delivered as usual. Called when the
// job is over, before the "&Next" handler returns: delivered afterwards, a
// second click on "&Next" would press "&Done", which stands in its place, and
// the report would be gone before it could be read.
void dropInputMadeDuringJob();
