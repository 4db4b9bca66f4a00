/* The servers of a product, or why there are none: the C interface. */
#include <stdio.h>
#include <tarnclient/tarn.h>

int main(int argc, char** argv) {
    tarn_client* client;
    tarn_servers* servers;
    char cause[256];
    int32_t i;
    if (tarn_client_open(argc > 1 ? argv[1] : NULL, &client) != 0) /* NULL: the configured server */
        return 4;
    if (tarn_servers_find(client, "TARNQUEST", "game", "any", NULL, &servers) != 0) {
        tarn_client_last_failure(client, cause, sizeof cause, NULL);
        fprintf(stderr, "lookup failed: %s\n", cause);
        tarn_client_close(client);
        return 4;
    }
    for (i = 0; i < tarn_servers_count(servers); ++i)
        printf("%s %s uc=%d\n", tarn_servers_name(servers, i), tarn_servers_address(servers, i),
               (int)tarn_servers_uc(servers, i));
    tarn_servers_free(servers);
    tarn_client_close(client);
    return 0;
}
