// Writes the demo tree of harmless test files into the folder given, so that a
// newcomer can watch the scanner detect something: `make scan` runs it.
#include <iostream>

#include "tests/support/demo_tree.hpp"

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) == "--help") {
    std::cerr << "usage: kestro-demo-tree FOLDER\n"
                 "Writes a small tree of harmless files that KESTRO Antivirus detects.\n";
    return argc == 2 ? 0 : 2;
  }
  const auto expected = kestro::test::BuildDemoTree(argv[1]);
  std::cout << "demo tree written to " << argv[1] << " (" << expected.size() << " detections expected)\n";
  return 0;
}
