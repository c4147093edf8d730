#pragma once

namespace kavora {

class Job;

// Takes the four-character prefix off every found file of the open playlist;
// closes the job with the Remove summary.
void runRemoveJob(Job& job);

} // namespace kavora
