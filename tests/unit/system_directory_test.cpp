// The system folder as the platform layer reads it, for every program and
// library the product takes from there.
#include "platform/system_directory.h"
#include "sim_test.h"

namespace {

// The system folder is read into MAX_PATH units, and once more with the size
// the platform reports; a folder that changes again is given up after two reads.
TEST(SystemFolder, Reads) {
  struct Row {
    size_t length;
    int grows;
    std::vector<win::UINT> sizes;
    bool found;
  };
  const Row rows[] = {
      {1, 0, {260}, true},
      {259, 0, {260}, true},
      {260, 0, {260, 262}, true},
      {300, 0, {260, 302}, true},
      {300, 1, {260, 302}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.length);
    sim::Machine m;
    faults::FaultApi layer(m);
    win::ScopedSys use(layer);
    m.systemDirectory = u"C" + std::u16string(row.length - 1, u'd');
    m.systemDirectoryGrows = row.grows;
    std::u16string folder = m.systemDirectory;
    EXPECT_EQ(win::SystemDirectory(), row.found ? folder : u"");
    EXPECT_EQ(m.systemDirectorySizes, row.sizes);
  }
}

}  // namespace
