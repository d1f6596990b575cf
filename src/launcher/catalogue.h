// The launcher's fixed content: the four categories with their tasks (description texts,
// the programs they start, their icon positions) and the six editions with their addresses.
#pragma once

#include <string>

// ---------------------------------------------------------------------------------------
// Task catalogue

constexpr int kCategoryCount = 4;

// The category names in list order; the position is the category index.
extern const char* const kCategoryNames[kCategoryCount];

// Number of tasks of a category, 0 for an index outside 0..3.
int TaskCount(int category);

// The description text of a task: its lines separated by carriage returns (bold title,
// two description lines, a fourth line). The texts that name the product have `title`
// composed in. "" for a pair outside the catalogue.
std::string TaskText(int category, int task, const std::string& title);

// The program file (no folder part) a task starts, or null for a pair outside the
// catalogue (category -1, a task index outside the category's range, -1 included).
const char* TaskProgram(int category, int task);

// Where the tasks of a category begin in the task image list (0 for no category).
int TaskImageIndexBase(int category);

// ---------------------------------------------------------------------------------------
// Edition table

// One edition of the suite: its exact product title and the three addresses it supplies.
struct TEdition {
  const char* title;
  const char* webAddress;      // absolute https address of the edition's home page
  const char* orderAddress;    // absolute https address of its order page
  const char* supportAddress;  // bare mail address, without "mailto:"
};

constexpr int kEditionCount = 6;
extern const TEdition kEditions[kEditionCount];

// The first edition whose title equals `title` exactly (same length, same characters,
// letter case included), or null.
const TEdition* FindEdition(const std::string& title);
