/* Makes root-enumerated device nodes with chosen hardware IDs before a run,
 * and reports afterwards which of them are left.
 *
 *   device_nodes create <nodes file> <state file>
 *       The nodes file holds one node per line, its hardware IDs separated
 *       by tabs, in the order of the list. Each node is made, given the list
 *       as its SPDRP_HARDWAREID and registered; the state file receives its
 *       instance ID and first hardware ID, one node per line. An empty line
 *       makes a node without hardware IDs.
 *   device_nodes left <state file>
 *       Logs {"event": "nodes_left", "hardware_ids": [...]}: the first
 *       hardware ID of every node of the state file that the system still
 *       lists, in the order they were made.
 */
#include "e2e_log.h"
#include <setupapi.h>
#include <stdio.h>
#include <stdlib.h>

#define MAX_NODES 64
#define LINE_SIZE 4096

/* GUID_DEVCLASS_MEDIA: the nodes stand for sound, video and game devices. */
static const GUID kMediaClass = {0x4d36e96c, 0xe325, 0x11ce,
                                 {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

static int fail(const char *what)
{
    fprintf(stderr, "device_nodes: %s failed (error %lu)\n", what, GetLastError());
    return 1;
}

static int create_nodes(const char *nodes_path, const char *state_path)
{
    char line[LINE_SIZE], ids[LINE_SIZE + 2], instance[512];
    FILE *nodes = fopen(nodes_path, "r"), *state;
    HDEVINFO set;
    int status = 0;
    if (!nodes) return fail("opening the nodes file");
    if (!(state = fopen(state_path, "w"))) {
        fclose(nodes);
        return fail("creating the state file");
    }
    set = SetupDiCreateDeviceInfoList(&kMediaClass, NULL);
    if (set == INVALID_HANDLE_VALUE) {
        fclose(nodes);
        fclose(state);
        return fail("SetupDiCreateDeviceInfoList");
    }
    while (status == 0 && fgets(line, sizeof line, nodes)) {
        SP_DEVINFO_DATA device;
        memset(&device, 0, sizeof device);
        device.cbSize = sizeof device;
        size_t length;
        char *first_end;
        line[strcspn(line, "\r\n")] = '\0';
        /* The multi-string: tabs become terminators, two zeros end it. */
        length = strlen(line);
        memcpy(ids, line, length + 1);
        for (size_t i = 0; i < length; ++i)
            if (ids[i] == '\t') ids[i] = '\0';
        ids[length + 1] = '\0';
        first_end = strchr(line, '\t');
        if (first_end) *first_end = '\0';

        if (!SetupDiCreateDeviceInfoA(set, "MEDIA", &kMediaClass, NULL, NULL,
                                      DICD_GENERATE_ID, &device)) {
            status = fail("SetupDiCreateDeviceInfoA");
        } else if (length != 0 &&
                   !SetupDiSetDeviceRegistryPropertyA(set, &device, SPDRP_HARDWAREID,
                                                      (const BYTE *)ids, (DWORD)length + 2)) {
            status = fail("SetupDiSetDeviceRegistryPropertyA");
        } else if (!SetupDiRegisterDeviceInfo(set, &device, 0, NULL, NULL, NULL)) {
            status = fail("SetupDiRegisterDeviceInfo");
        } else if (!SetupDiGetDeviceInstanceIdA(set, &device, instance, sizeof instance, NULL)) {
            status = fail("SetupDiGetDeviceInstanceIdA");
        } else {
            fprintf(state, "%s\t%s\n", instance, line);
        }
    }
    SetupDiDestroyDeviceInfoList(set);
    fclose(nodes);
    if (fclose(state) != 0 && status == 0) status = fail("writing the state file");
    return status;
}

/* Whether the system still lists a device with this instance ID. */
static int node_exists(HDEVINFO set, const char *wanted)
{
    char instance[512];
    SP_DEVINFO_DATA device;
        memset(&device, 0, sizeof device);
        device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(set, index, &device); ++index) {
        if (SetupDiGetDeviceInstanceIdA(set, &device, instance, sizeof instance, NULL) &&
            lstrcmpiA(instance, wanted) == 0)
            return 1;
    }
    return 0;
}

static int log_nodes_left(const char *state_path)
{
    char line[LINE_SIZE];
    FILE *state = fopen(state_path, "r");
    JsonLine event;
    HDEVINFO set;
    int first = 1;
    if (!state) return fail("opening the state file");
    set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_ALLCLASSES);
    if (set == INVALID_HANDLE_VALUE) {
        fclose(state);
        return fail("SetupDiGetClassDevsA");
    }
    json_begin(&event, "nodes_left");
    json_key(&event, "hardware_ids");
    json_raw(&event, "[");
    while (fgets(line, sizeof line, state)) {
        char *hardware_id = strchr(line, '\t');
        line[strcspn(line, "\r\n")] = '\0';
        if (!hardware_id) continue;
        *hardware_id++ = '\0';
        if (!node_exists(set, line)) continue;
        if (!first) json_raw(&event, ",");
        first = 0;
        json_string(&event, hardware_id);
    }
    json_raw(&event, "]");
    SetupDiDestroyDeviceInfoList(set);
    fclose(state);
    return json_commit(&event) ? 0 : fail("writing the event log");
}

int main(int argc, char **argv)
{
    if (argc == 4 && strcmp(argv[1], "create") == 0) return create_nodes(argv[2], argv[3]);
    if (argc == 3 && strcmp(argv[1], "left") == 0) return log_nodes_left(argv[2]);
    fprintf(stderr, "usage: device_nodes create <nodes file> <state file>\n"
                    "       device_nodes left <state file>\n");
    return 2;
}
