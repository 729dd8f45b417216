/* Registered as the shell's "open" handler of .msu files: records the
 * command line the shell built for the update package and ends. */
#include "e2e_log.h"

int main(void)
{
    return log_process_event("shell_open") ? 0 : 1;
}
