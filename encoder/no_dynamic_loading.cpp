// The bundled encoder is one static program and cannot load shared libraries. The only code in
// it that tries to is x264's optional OpenCL look-ahead, which the encoder never enables and
// which carries on without OpenCL when loading fails. The link redirects its calls here
// (--wrap), so the C library's loader, which only half works in a static program, is never used.
extern "C" {

void* __wrap_dlopen(const char* /*file*/, int /*mode*/)
{
    return nullptr;
}

void* __wrap_dlsym(void* /*handle*/, const char* /*name*/)
{
    return nullptr;
}

int __wrap_dlclose(void* /*handle*/)
{
    return 0;
}

} // extern "C"
