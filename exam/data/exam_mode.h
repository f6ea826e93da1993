#pragma once
// What the exam window is doing; decides what the answer controls do.
// The value 2 is not used: readers test for Answering and Reviewing.
namespace marvessa {

enum TExamMode : int { Idle = 0, Answering = 1, Reviewing = 3 };

}  // namespace marvessa
