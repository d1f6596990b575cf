#include "launcher/catalogue.h"

#include <iterator>

namespace {

// A task's text is `text` as it stands or, when `composed`, `text` followed by the product
// title, ".", a carriage return and a blank.
struct TTaskEntry {
  const char* text;
  bool composed;
  const char* program;
};

const TTaskEntry kData[] = {
    {"Data CD\rCreate a standard data disc which can be used to save all\rtypes of files and complete folders. The "
     "disc can be read\ron all Windows platforms.",
     false, "Tolvane.exe"},
    {"Data DVD\rCreate a data DVD which can be used to save all types of\rfiles and complete folders. The DVD can be "
     "read on all\rWindows platforms.",
     false, "Tolvane.exe"},
    {"Data HD DVD\rCreate a HD DVD which can be used to save all types of\rfiles and complete folders. The disc can "
     "be read on all\rWindows platforms which support HD DVD drives.",
     false, "Tolvane.exe"},
    {"Data Blu-ray Disc\rCreate a Blu-ray disc which can be used to save all types\rof files and complete folders. "
     "The disc can be read on all\rWindows platforms.",
     false, "Tolvane.exe"},
};

const TTaskEntry kMusic[] = {
    {"Audio CD\rCreate a standard data Audio CD which will play on all audio\rCD players. MP3/OGG/WMA files will be "
     "automatically converted\rto Audio CD format during the burn process.",
     false, "Merrock.exe"},
    {"Grab Audio CD\rGrab audio track from Audio CD to wave file and convert audio data\rto Windows Media Audio "
     "format\r ",
     false, "Pashley.exe"},
};

const TTaskEntry kVideo[] = {
    {"Video CD\rCreate a Video CD from your video that can be played back on\rmost VCD and DVD players. The files are "
     "automatically converted\rto the correct format during the burn process.",
     false, "Quorrel.exe"},
    {"Super Video CD\rCreate a high quality Super Video CD from your video that can be\rplayed back on most SVCD and "
     "DVD players. The files are automatically\rconverted to the correct format during the burn process.",
     false, "Quorrel.exe"},
    {"DVD-Video Files\rCreate a high quality DVD-Video from DVD-Video file structures on\rYour hard drive. Please "
     "note that to make a DVD-Video disc you\rmust use a DVD authoring tool.",
     false, "Quorrel.exe"},
};

const TTaskEntry kTools[] = {
    {"Disc Eraser\rThis wizard will guide you through CD or DVD disc erasing process\rusing ", true, "Wistel.exe"},
    {"Device Info\rThis wizard will show information about CD/DVD devices present\rin the system and discs inserted "
     "into them.\r ",
     false, "Nandrel.exe"},
    {"ISO Creator\rThe wizard will help you to build file system ISO that can be later\rburned on disc.\r ", false,
     "Orrith.exe"},
    {"ISO Burner\rThe wizard will guide you through file system ISO burning process\rusing ", true, "Calvrin.exe"},
    {"ISO Grabber\rThe wizard will guide you through data disc grabbing process using\r", true, "Dunmarl.exe"},
};

struct TCategoryEntry {
  const TTaskEntry* tasks;
  int count;
  int imageIndexBase;
};

const TCategoryEntry kCategories[kCategoryCount] = {
    {kData, int(std::size(kData)), 0},
    {kMusic, int(std::size(kMusic)), 4},
    {kVideo, int(std::size(kVideo)), 6},
    {kTools, int(std::size(kTools)), 9},
};

const TTaskEntry* FindTask(int category, int task) {
  if (category < 0 || category >= kCategoryCount) return nullptr;
  const TCategoryEntry& c = kCategories[category];
  if (task < 0 || task >= c.count) return nullptr;
  return &c.tasks[task];
}

}  // namespace

const char* const kCategoryNames[kCategoryCount] = {"Data", "Music", "Video", "Tools"};

int TaskCount(int category) {
  if (category < 0 || category >= kCategoryCount) return 0;
  return kCategories[category].count;
}

std::string TaskText(int category, int task, const std::string& title) {
  const TTaskEntry* t = FindTask(category, task);
  if (!t) return std::string();
  std::string text = t->text;
  if (t->composed) text += title + "." + "\r" + " ";
  return text;
}

const char* TaskProgram(int category, int task) {
  const TTaskEntry* t = FindTask(category, task);
  return t ? t->program : nullptr;
}

int TaskImageIndexBase(int category) {
  if (category < 0 || category >= kCategoryCount) return 0;
  return kCategories[category].imageIndexBase;
}

// The addresses belong to the fictitious vendor of the suite; every edition has its own
// home page, order page and support mailbox.
const TEdition kEditions[kEditionCount] = {
    {"Velmora", "https://www.tarnhollow.example/velmora/", "https://shop.tarnhollow.example/order/velmora",
     "velmora-support@tarnhollow.example"},
    {"Quistal", "https://www.tarnhollow.example/quistal/", "https://shop.tarnhollow.example/order/quistal",
     "quistal-support@tarnhollow.example"},
    {"Darnett", "https://www.tarnhollow.example/darnett/", "https://shop.tarnhollow.example/order/darnett",
     "darnett-support@tarnhollow.example"},
    {"Fenwray", "https://www.tarnhollow.example/fenwray/", "https://shop.tarnhollow.example/order/fenwray",
     "fenwray-support@tarnhollow.example"},
    {"Oskarin", "https://www.tarnhollow.example/oskarin/", "https://shop.tarnhollow.example/order/oskarin",
     "oskarin-support@tarnhollow.example"},
    {"Brimlow", "https://www.tarnhollow.example/brimlow/", "https://shop.tarnhollow.example/order/brimlow",
     "brimlow-support@tarnhollow.example"},
};

const TEdition* FindEdition(const std::string& title) {
  for (const TEdition& e : kEditions)
    if (title == e.title) return &e;
  return nullptr;
}
