#include <cstdio>
int main() { std::puts("isamtool"); return 0; }
