// Serves a folder (build/web/) on the loopback address only, as static files.
// Usage: node platforms/web/serve.mjs FOLDER [PORT]   (PORT 0 picks a free one)
// Also imported by the browser test, which serves the page the same way.
import { createReadStream, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { extname, join, normalize } from 'node:path';
import { pathToFileURL } from 'node:url';

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };

export function serve(folder, port) {
  const server = createServer((request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, 'http://x').pathname));
    // normalize() has resolved every '..', so the file is inside the folder.
    const file = join(folder, path.endsWith('/') ? path + 'index.html' : path);
    let size;
    try {
      size = statSync(file).isFile() ? statSync(file).size : -1;
    } catch {
      size = -1;
    }
    if (size < 0) {
      response.writeHead(404).end('not found\n');
      return;
    }
    const type = TYPES[extname(file)] ?? 'application/octet-stream';
    response.writeHead(200, { 'Content-Type': type, 'Content-Length': size });
    createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(port, '127.0.0.1', () => resolve(server)));
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  const server = await serve(process.argv[2], Number(process.argv[3] ?? 8000));
  console.log(`fieldline is at http://127.0.0.1:${server.address().port}/ (Ctrl-C to stop)`);
}
