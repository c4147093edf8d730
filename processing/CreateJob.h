#pragma once

namespace kavora {

class Job;

// Numbers the found files of the open playlist and writes the ".kvr" playlist
// of their new names; closes the job with the Create summary.
void runCreateJob(Job& job);

} // namespace kavora
