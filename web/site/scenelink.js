// A scene carried in a link: the XML deflated by the browser's own CompressionStream and
// written in base64url after "#scene=", so a link opens the same set-up anywhere.
const Prefix = '#scene=';

async function streamBytes(bytes, transform) {
  const stream = new Blob([bytes]).stream().pipeThrough(transform);
  return new Uint8Array(await new Response(stream).arrayBuffer());
}

function toBase64Url(bytes) {
  let text = '';
  for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
  return btoa(text).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function fromBase64Url(text) {
  const plain = atob(text.replace(/-/g, '+').replace(/_/g, '/'));
  const bytes = new Uint8Array(plain.length);
  for (let i = 0; i < plain.length; ++i) bytes[i] = plain.charCodeAt(i);
  return bytes;
}

export async function encodeScene(xml) {
  const packed = await streamBytes(new TextEncoder().encode(xml), new CompressionStream('deflate'));
  return Prefix + toBase64Url(packed);
}

// The fragment's scene text, null when the fragment carries none; raises for one that does
// not decode.
export async function decodeScene(hash) {
  if (!hash.startsWith(Prefix)) return null;
  const bytes = await streamBytes(fromBase64Url(hash.slice(Prefix.length)), new DecompressionStream('deflate'));
  return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
}
