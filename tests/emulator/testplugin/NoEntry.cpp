// A loadable module that lacks plugin_exec.
extern "C" __attribute__((visibility("default"))) int not_the_entry() {
    return 7;
}
