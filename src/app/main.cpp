// Placeholder entry point until the application class lands.
int main() { return 0; }
