// ThreadSanitizer cannot see GLib's mutexes: they are futexes inside an
// uninstrumented library. GStreamer (its object, pad and task locks) and our
// own elements reach them through the dynamic linker, so these wrappers in
// the test program tell ThreadSanitizer what each lock and unlock orders.
// Built into ThreadSanitizer test programs only.

#include <dlfcn.h>
#include <glib.h>

extern "C" {
void __tsan_acquire(void* addr);
void __tsan_release(void* addr);
}

namespace {

template <typename Fn>
Fn Real(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" {

void g_mutex_lock(GMutex* mutex) {
  static const auto real = Real<void (*)(GMutex*)>("g_mutex_lock");
  real(mutex);
  __tsan_acquire(mutex);
}

gboolean g_mutex_trylock(GMutex* mutex) {
  static const auto real = Real<gboolean (*)(GMutex*)>("g_mutex_trylock");
  const gboolean locked = real(mutex);
  if (locked) __tsan_acquire(mutex);
  return locked;
}

void g_mutex_unlock(GMutex* mutex) {
  static const auto real = Real<void (*)(GMutex*)>("g_mutex_unlock");
  __tsan_release(mutex);
  real(mutex);
}

void g_rec_mutex_lock(GRecMutex* mutex) {
  static const auto real = Real<void (*)(GRecMutex*)>("g_rec_mutex_lock");
  real(mutex);
  __tsan_acquire(mutex);
}

gboolean g_rec_mutex_trylock(GRecMutex* mutex) {
  static const auto real = Real<gboolean (*)(GRecMutex*)>("g_rec_mutex_trylock");
  const gboolean locked = real(mutex);
  if (locked) __tsan_acquire(mutex);
  return locked;
}

void g_rec_mutex_unlock(GRecMutex* mutex) {
  static const auto real = Real<void (*)(GRecMutex*)>("g_rec_mutex_unlock");
  __tsan_release(mutex);
  real(mutex);
}

// A wait gives the mutex up and takes it back.
void g_cond_wait(GCond* cond, GMutex* mutex) {
  static const auto real = Real<void (*)(GCond*, GMutex*)>("g_cond_wait");
  __tsan_release(mutex);
  real(cond, mutex);
  __tsan_acquire(mutex);
}

gboolean g_cond_wait_until(GCond* cond, GMutex* mutex, gint64 end_time) {
  static const auto real = Real<gboolean (*)(GCond*, GMutex*, gint64)>("g_cond_wait_until");
  __tsan_release(mutex);
  const gboolean signalled = real(cond, mutex, end_time);
  __tsan_acquire(mutex);
  return signalled;
}

}  // extern "C"
