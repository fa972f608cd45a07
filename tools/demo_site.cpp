// Placeholder until the demo site lands.
int main() { return 0; }
