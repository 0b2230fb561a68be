#!/usr/bin/env bash
# Runs tests/mcp/mcp.test.mjs against kv410-script; exit status 77 (skipped) without Node.js or
# without the SDK client installed by npm ci --prefix tests/mcp.
# Usage: run-mcp-tests.sh PATH/TO/kv410-script
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
if ! command -v node >/dev/null; then
    echo "node not found: the MCP client tests are skipped"
    exit 77
fi
if [ ! -d "$here/node_modules/@modelcontextprotocol/sdk" ]; then
    echo "the SDK client is not installed (npm ci --prefix tests/mcp): the MCP tests are skipped"
    exit 77
fi
KV410_SCRIPT=$(realpath "$1") exec node --test "$here/mcp.test.mjs"
