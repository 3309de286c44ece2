// A program that only carries a version resource whose file and product versions differ and
// whose parts need all 16 bits, for tests that read versions.
int main() { return 0; }
