// A console program that needs the shared C++ runtime: what the program file
// must never be. The artifact checks have to reject it.
#include <iostream>

int main() {
  std::cout << "probe\n";
  return 0;
}
