// The precompiled test header is built with this program, which does nothing.
int main() { return 0; }
