/* The least any summary of a site must do, as a plain C program: list the folder, read each
 * ".mg" file (its first 13312 bytes, all a test file carries) and parse its header. The
 * summary benchmark runs it in turn with rovana-cli summary and gives their ratio.
 *
 *   rovana-plain-reader FOLDER    prints the files read and a sum over their headers
 */
#define _POSIX_C_SOURCE 200809L
#include <dirent.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

enum { kFileSize = 13312, kInterval = 520, kCount = 524, kSpeed = 544, kDesign = 548 };

static int32_t Int32At(const unsigned char* b, int at)
{
    return (int32_t)((uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 |
                     (uint32_t)b[at + 3] << 24);
}

static float FloatAt(const unsigned char* b, int at)
{
    const int32_t bits = Int32At(b, at);
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
}

int main(int argc, char** argv)
{
    static unsigned char bytes[kFileSize];
    char path[4096];
    long files = 0;
    double sum = 0.0;
    DIR* dir = argc == 2 ? opendir(argv[1]) : NULL;
    if (!dir) {
        fprintf(stderr, "usage: rovana-plain-reader FOLDER\n");
        return 2;
    }
    for (struct dirent* e; (e = readdir(dir)) != NULL;) {
        const size_t n = strlen(e->d_name);
        if (n < 4 || strcasecmp(e->d_name + n - 3, ".mg") != 0)
            continue;
        snprintf(path, sizeof path, "%s/%s", argv[1], e->d_name);
        const int fd = open(path, O_RDONLY | O_CLOEXEC);
        ssize_t got = 0, r = 0;
        while (fd >= 0 && got < kFileSize && (r = read(fd, bytes + got, kFileSize - got)) > 0)
            got += r;
        if (fd >= 0)
            close(fd);
        if (got < kFileSize)
            continue;
        sum += Int32At(bytes, kInterval) + Int32At(bytes, kCount) + Int32At(bytes, kSpeed) +
               FloatAt(bytes, kDesign) + (double)strnlen((const char*)bytes + 556, 468);
        ++files;
    }
    closedir(dir);
    printf("%ld files, header sum %.1f\n", files, sum);
    return 0;
}
