// The executable the signature tests sign with osslsigncode (and keep unsigned).
int main() { return 0; }
