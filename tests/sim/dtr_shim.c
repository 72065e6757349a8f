/* Test-rig only, preloaded into Wine for serial tests: a pty has no
   modem-control lines, so the kernel refuses the TIOCM* requests with which
   Wine raises and lowers DTR. Here they succeed; every other request, and
   every TIOCM* request the kernel accepts, goes to the kernel unchanged.
   Built without the C library: the system call is made directly. */

#define TIOCMGET 0x5415
#define TIOCMBIS 0x5416
#define TIOCMBIC 0x5417
#define TIOCMSET 0x5418
#define TIOCM_DTR 0x002
#define TIOCM_RTS 0x004
#define TIOCM_CTS 0x020
#define TIOCM_CAR 0x040
#define TIOCM_DSR 0x100

extern int *__errno_location(void);

static long raw_ioctl(long fd, unsigned long request, long arg)
{
    long ret;
#if defined(__x86_64__)
    __asm__ volatile("syscall" : "=a"(ret) : "a"(16L), "D"(fd), "S"(request), "d"(arg)
                     : "rcx", "r11", "memory");
#else
    __asm__ volatile("push %%ebx\n\tmov %2, %%ebx\n\tint $0x80\n\tpop %%ebx"
                     : "=a"(ret) : "a"(54L), "r"(fd), "c"(request), "d"(arg) : "memory");
#endif
    return ret;
}

static int shim_ioctl(int fd, unsigned long request, long arg)
{
    long ret = raw_ioctl(fd, request, arg);
    if (ret < 0 && ret > -4096) {
        if (request == TIOCMGET && arg) {
            *(int *)arg = TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;
            return 0;
        }
        if (request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET)
            return 0;
        *__errno_location() = (int)-ret;
        return -1;
    }
    return (int)ret;
}

/* ioctl takes one optional argument of pointer size. */
int ioctl(int fd, unsigned long request, long arg) { return shim_ioctl(fd, request, arg); }
int __ioctl_time64(int fd, unsigned long request, long arg) { return shim_ioctl(fd, request, arg); }
