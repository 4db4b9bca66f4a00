#include "DefaultData.h"

namespace devserver {

const char* DefaultDataJson() {
    return R"json({
  "products": [
    {
      "name": "TARNQUEST",
      "categories": [
        {
          "name": "game",
          "servers": [
            {"name": "alpha", "address": "127.0.0.1:7001", "uc": 12, "att1": "eu"},
            {"name": "beta", "address": "127.0.0.1:7002", "uc": 40, "att1": "us"},
            {"name": "gamma", "address": "127.0.0.1:7003", "uc": 7, "att1": "eu"}
          ]
        },
        {
          "name": "chat",
          "servers": [
            {"name": "lobby", "address": "127.0.0.1:7101", "uc": 3}
          ]
        }
      ],
      "events": [
        {"name": "launch", "open": true},
        {"name": "finals", "open": true, "members": ["alice"]},
        {"name": "beta-test", "open": false}
      ]
    },
    {
      "name": "TARNRACE",
      "categories": [
        {
          "name": "game",
          "servers": [
            {"name": "track1", "address": "127.0.0.1:7201", "uc": 1}
          ]
        }
      ],
      "events": [
        {"name": "season1", "open": true}
      ]
    }
  ],
  "accounts": [
    {"public": "alice", "password": "wonderland1"},
    {"public": "bob", "password": "builder42"}
  ],
  "contexts": [
    {"id": "ctx-alice-1", "account": "alice", "product": "TARNQUEST"},
    {"id": "ctx-bob-race", "account": "bob", "product": "TARNRACE"},
    {"id": "ctx-expired", "account": "bob", "expired": true}
  ],
  "servlets": ["getTicket"],
  "lifetime": 3600,
  "unavailable": false,
  "faults": []
}
)json";
}

} // namespace devserver
