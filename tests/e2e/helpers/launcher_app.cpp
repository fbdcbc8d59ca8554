// A stand-in application for the launcher's Start-menu tests: it carries an
// icon, so its tile shows one, and does nothing when started.
int main() { return 0; }
