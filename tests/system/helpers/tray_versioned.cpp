// A program that carries a version resource (tray_versioned.rc) and does nothing.
int main() { return 0; }
