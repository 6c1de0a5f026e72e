// bench_startup_empty: does nothing, but is linked against the same shared
// libraries as qorita (bench/CMakeLists.txt keeps them all, used or not).
// bench/crea.sh compares its exec-to-exit time with qorita's exec up to the
// point where it would first call the database: the difference is what our
// own start-up costs beyond loading the libraries.
int main() { return 0; }
