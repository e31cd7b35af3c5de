// The fake service runs on cpp-httplib, a shared library built without
// ThreadSanitizer: the synchronisation inside it is invisible to the
// sanitizer, which would then report races between the library's own
// threads. What it reports inside the library says nothing about the client.
extern "C" const char* __tsan_default_suppressions();

extern "C" const char* __tsan_default_suppressions()
{
    return "called_from_lib:libcpp-httplib.so\n";
}
