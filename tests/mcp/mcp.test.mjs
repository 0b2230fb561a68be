// kv410-script --mcp driven by the protocol's official TypeScript SDK client: a whole session
// (switch on, the menu, a setting changed and saved, an alarm raised and acknowledged, a
// picture, the recording replayed by kv410-script) and every kind of bad request.
// Run by CTest: KV410_SCRIPT=build/default/kv410-script node --test tests/mcp/mcp.test.mjs
import { Client } from '@modelcontextprotocol/sdk/client/index.js';
import { StdioClientTransport } from '@modelcontextprotocol/sdk/client/stdio.js';
import { LATEST_PROTOCOL_VERSION } from '@modelcontextprotocol/sdk/types.js';
import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, existsSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';

const program = process.env.KV410_SCRIPT;
assert.ok(program, 'KV410_SCRIPT names kv410-script');

const folder = mkdtempSync(join(tmpdir(), 'kv410-mcp-'));
let client;

async function call(name, args = {}) {
    return client.callTool({ name, arguments: args });
}
function text(result) {
    return result.content.filter((c) => c.type === 'text').map((c) => c.text).join('');
}
async function display() {
    return (await call('read_display')).structuredContent;
}

before(async () => {
    client = new Client({ name: 'kv410-mcp-test', version: '1.0.0' });
    await client.connect(
        new StdioClientTransport({ command: program, args: ['--mcp', '--folder', folder], stderr: 'inherit' })
    );
});
after(async () => {
    await client?.close();
    rmSync(folder, { recursive: true, force: true });
});

describe('a session through the SDK client', { concurrency: false }, () => {
    test('initialize names the server and its capabilities; tools and resources are listed', async () => {
        assert.equal(client.getServerVersion().name, 'kv410-script');
        const capabilities = client.getServerCapabilities();
        assert.ok(capabilities.tools && capabilities.resources);
        assert.equal(client.transport.protocolVersion ?? LATEST_PROTOCOL_VERSION, LATEST_PROTOCOL_VERSION);

        const { tools } = await client.listTools();
        const names = tools.map((t) => t.name).sort();
        assert.deepEqual(names, ['advance', 'check', 'hold', 'load_flash', 'power', 'press', 'read_display',
            'recording', 'run_steps', 'save_flash', 'set_input', 'set_sensor', 'settings', 'snapshot', 'turn',
            'wait_until'].sort());
        for (const tool of tools) {
            assert.equal(tool.inputSchema.type, 'object', tool.name);
            assert.ok(tool.description.length > 20, tool.name);
        }

        const { resources } = await client.listResources();
        assert.deepEqual(resources.map((r) => r.uri).sort(),
            ['kv410://alarms', 'kv410://menu-tree', 'kv410://scenario-format', 'kv410://settings']);
        const read = async (uri) => (await client.readResource({ uri })).contents[0].text;
        assert.match(await read('kv410://scenario-format'), /^# Scenario scripts for `kv410-script`/);
        const tree = JSON.parse(await read('kv410://menu-tree'));
        assert.equal(tree.nodes.length, 260);
        assert.ok(tree.nodes.some((n) => (n.settings ?? []).includes('1.10')));
        const alarms = JSON.parse(await read('kv410://alarms')).alarms;
        assert.equal(alarms.length, 22);
        assert.deepEqual(alarms[0].lines, ['ALARM          (GT1)', 'Foler retur rad']);
        assert.ok(alarms.every((a) => a.help.length >= 4));
        const settings = JSON.parse(await read('kv410://settings')).settings;
        const room = settings.find((s) => s.number === '1.10');
        assert.equal(room.factory, '20,0');
        assert.ok(room.routes.length > 0);
    });

    test('switch on: the display lights, the time moves only when asked', async () => {
        let shown = await display();
        assert.equal(shown.lit, false);
        assert.equal(shown.time.ms, 0);
        await call('power');
        await call('advance', { duration: '3s' });
        shown = await display();
        assert.equal(shown.lit, true);
        assert.equal(shown.time.ms, 3050);
        assert.equal(shown.leds.find((l) => l.name === 'on').mode, 'on');
        assert.equal(shown.access, 'kund1');
        assert.deepEqual(shown.alarms, []);
        assert.equal((await display()).time.ms, 3050);
    });

    test('enter the menu, change and save a setting', async () => {
        await call('press', { sequence: 'right right' });
        const turned = text(await call('turn', { clicks: 2 }));
        assert.match(turned, /romtemperatur___1\.10/);
        await call('press', { sequence: 'right right' });
        const changed = text(await call('turn', { clicks: 5 }));
        assert.match(changed, /20,5º/);
        assert.match(changed, /Avbryt         Lagre/);
        await call('press', { sequence: 'right' });
        const saved = await call('wait_until', { check: 'lcd 4 "Tilbake        Endre"', within: '5s' });
        assert.equal(saved.structuredContent.passed, true);
        const setting = (await call('settings', { number: '1.10' })).structuredContent.settings[0];
        assert.equal(setting.value, '20,5');
        assert.equal(setting.changed, true);
        const check = await call('check', { check: 'setting 1.10 "20,5"' });
        assert.equal(check.structuredContent.passed, true);
        const failed = await call('check', { check: 'setting 1.10 "21,0"' });
        assert.equal(failed.structuredContent.passed, false);
        assert.match(failed.structuredContent.found, /20,5/);
        await call('press', { sequence: 'left left left' });
    });

    test('raise and acknowledge an alarm', async () => {
        await call('set_sensor', { sensor: 'GT1', value: -500 });
        const raised = await call('wait_until', { check: 'lcd 1 "ALARM          (GT1)"', within: '90s' });
        assert.equal(raised.structuredContent.passed, true, text(raised));
        let shown = await display();
        assert.deepEqual(shown.alarms, [{ alarm: 0, text: 'ALARM          (GT1) / Foler retur rad', acknowledged: false }]);
        assert.equal(shown.node.number, 259);
        assert.equal(shown.leds.find((l) => l.name === 'alarm').mode, 'blinking');
        await call('press', { sequence: 'right' });
        await call('advance', { duration: '1s' });
        shown = await display();
        assert.equal(shown.alarms[0].acknowledged, true);
        assert.equal(shown.leds.find((l) => l.name === 'alarm').mode, 'on');
        await call('set_sensor', { sensor: 'GT1', value: 217 });
        await call('advance', { duration: '5s' });
    });

    test('run_steps answers as --live does', async () => {
        const answer = text(await call('run_steps', { steps: 'expect display lit\nbogus step\nshow\n' }));
        assert.match(answer, /^ok <mcp>:\d+\nerror <mcp>:\d+: /);
        assert.match(answer, /\|.{20}\|/);
        assert.match(answer, /1 passed, 0 failed\n$/);
    });

    test('a snapshot is a PNG picture', async (t) => {
        const result = await call('snapshot');
        if (result.isError && /built with Qt 6/.test(text(result))) {
            t.skip('this kv410-script has no pictures');
            return;
        }
        const image = result.content.find((c) => c.type === 'image');
        assert.equal(image.mimeType, 'image/png');
        assert.deepEqual([...Buffer.from(image.data, 'base64').subarray(0, 4)], [0x89, 0x50, 0x4e, 0x47]);
    });

    test('flash images stay inside the folder', async () => {
        const saved = await call('save_flash', { file: 'Customer.dat' });
        assert.equal(saved.isError, false, text(saved));
        assert.equal(readFileSync(join(folder, 'Customer.dat')).length, 2048);
        for (const file of ['../Outside.dat', '/etc/passwd', join(tmpdir(), 'Outside.dat'), 'a/../../b.dat']) {
            for (const tool of ['save_flash', 'load_flash']) {
                const refused = await call(tool, { file });
                assert.equal(refused.isError, true, `${tool} ${file}`);
                assert.match(text(refused), /outside the folder|parent folder/);
            }
        }
        assert.equal(existsSync(join(tmpdir(), 'Outside.dat')), false);
        const loaded = await call('load_flash', { file: 'Customer.dat' });
        assert.equal(loaded.isError, false, text(loaded));
        // A fresh start keeps the power switch as it stood.
        await call('advance', { duration: '3s' });
        assert.equal((await display()).lit, true);
        assert.equal((await call('check', { check: 'setting 1.10 "20,5"' })).structuredContent.passed, true);
        const missing = await call('load_flash', { file: 'Missing.dat' });
        assert.equal(missing.isError, true);
        await call('load_flash', { file: 'Customer.dat' });
        await call('advance', { duration: '3s' });
    });

    test('the recording replays with kv410-script, every check passing', async () => {
        const recording = await call('recording', { file: 'session.kvs' });
        const script = text(recording);
        assert.match(script, /^click power$/m);
        assert.match(script, /^sensor GT1 -500$/m);
        assert.match(script, /^# failed: expect setting 1\.10 "21,0"$/m);
        assert.equal(readFileSync(join(folder, 'session.kvs'), 'utf8'), script);
        const replay = spawnSync(program, [join(folder, 'session.kvs')], { encoding: 'utf8' });
        assert.equal(replay.status, 0, replay.stdout + replay.stderr);
        const [, passed, failed] = replay.stdout.match(/(\d+) passed, (\d+) failed\n$/);
        assert.ok(Number(passed) >= 5, replay.stdout);
        assert.equal(Number(failed), 0);
    });

    test('bad requests get errors and the session goes on', async () => {
        await assert.rejects(call('no_such_tool'), (e) => e.code === -32602);
        const wrongType = await call('turn', { clicks: 'three' });
        assert.equal(wrongType.isError, true);
        assert.match(text(wrongType), /clicks/);
        const missing = await call('set_sensor', { sensor: 'GT1' });
        assert.equal(missing.isError, true);
        const unknownSensor = await call('set_sensor', { sensor: 'GT7', value: 0 });
        assert.equal(unknownSensor.isError, true);
        const extra = await call('advance', { duration: '1s', speed: 2 });
        assert.equal(extra.isError, true);
        const badDuration = await call('advance', { duration: 'soon' });
        assert.equal(badDuration.isError, true);
        const tooLong = await call('advance', { duration: '30d' });
        assert.equal(tooLong.isError, true);
        await assert.rejects(client.readResource({ uri: 'kv410://nothing' }), (e) => e.code === -32002);
        await client.ping();
        assert.equal((await display()).lit, true);
    });
});

// Frames the SDK never sends, written to the server's input as they are.
test('malformed frames get JSON-RPC errors and the session goes on', async () => {
    const server = spawn(program, ['--mcp', '--folder', folder], { stdio: ['pipe', 'pipe', 'inherit'] });
    const frames = [
        '{"jsonrpc":"2.0","id":1,"method":"initialize","params":{"protocolVersion":"2025-06-18","capabilities":{},"clientInfo":{"name":"raw","version":"1"}}}',
        '{"jsonrpc":"2.0","method":"notifications/initialized"}',
        '{"jsonrpc":"2.0","id":2,"method":',
        '[{"jsonrpc":"2.0","id":3,"method":"ping"}]',
        '{"jsonrpc":"2.0","id":4,"method":"no/such/method"}',
        '{"jsonrpc":"1.0","id":5,"method":"ping"}',
        '{"jsonrpc":"2.0","id":6,"method":"tools/call","params":{"arguments":{}}}',
        '{"jsonrpc":"2.0","id":7,"method":"tools/call","params":[1]}',
        '{"jsonrpc":"2.0","id":{"a":1},"method":"ping"}',
        '{"jsonrpc":"2.0","id":8,"method":"ping"}',
    ];
    server.stdin.end(frames.join('\n') + '\n');
    let output = '';
    for await (const chunk of server.stdout) {
        output += chunk;
    }
    const answers = output.trim().split('\n').map((line) => JSON.parse(line));
    assert.equal(answers[0].result.protocolVersion, '2025-06-18');
    const codes = answers.slice(1).map((a) => [a.id, a.error?.code ?? 'ok']);
    assert.deepEqual(codes, [[null, -32700], [null, -32600], [4, -32601], [5, -32600], [6, -32602], [7, -32602],
        [null, -32600], [8, 'ok']]);
});
